// The emulated kernel32 of the native fuzz build (emulated_kernel32.cpp).
#pragma once

// True when no image is reserved, no library is loaded and no function table is registered.
bool EmulationIsClean();
