# Quillet as it ships: 32-bit Windows.
set(quillet_mingw_arch i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
