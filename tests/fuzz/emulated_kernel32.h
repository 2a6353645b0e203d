// The emulated kernel32 of the native fuzz build (emulated_kernel32.cpp).
#pragma once

// True when no image is reserved and no library is loaded.
bool EmulationIsClean();
