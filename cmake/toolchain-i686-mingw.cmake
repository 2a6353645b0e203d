# Cross-compiles the 32-bit Windows programs (the product) with Debian's MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TRRADIO_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake)

# Test executables run under 32-bit Wine (a prefix of its own) with the Chinese code page (936).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
