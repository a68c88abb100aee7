# Cross-build for 32-bit x86 Windows, the program on the disc, with Debian's mingw-w64 (posix
# thread model); it starts on 32- and 64-bit Windows alike.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
