# Cross-compiles the 64-bit Windows programs with Debian's MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TRRADIO_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake)

# Test executables run under 64-bit Wine (a prefix of its own) with the Chinese code page (936).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh --x64)
