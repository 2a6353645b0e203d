# Cross-compiles 32-bit Windows programs with Debian's MinGW-w64 (posix thread model, for std::thread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TRRADIO_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${TRRADIO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRRADIO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TRRADIO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRRADIO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test executables run under 32-bit Wine (a prefix of its own) with the Chinese code page (936).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
