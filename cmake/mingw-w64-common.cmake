# Cross-compiling Quillet for Windows with Debian's MinGW-w64 (posix threads); the toolchain
# file that includes this sets quillet_mingw_arch to the compilers' prefix (i686 or x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${quillet_mingw_arch})
set(CMAKE_C_COMPILER ${quillet_mingw_arch}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${quillet_mingw_arch}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${quillet_mingw_arch}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${quillet_mingw_arch}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
