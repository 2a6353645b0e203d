# What both toolchain files share: Debian's MinGW-w64 compilers of the posix thread model (for std::thread),
# named by TRRADIO_MINGW_PREFIX, and find-root modes that keep the build away from the host's libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${TRRADIO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRRADIO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TRRADIO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRRADIO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
