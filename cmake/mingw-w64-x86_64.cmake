# 64-bit Windows: kept compiling, and the tests' build where 32-bit programs cannot run.
set(quillet_mingw_arch x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
