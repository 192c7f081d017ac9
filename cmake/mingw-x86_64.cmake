# 64-bit Windows with mingw-w64: the same sources and tests under wine64, for machines whose kernel
# cannot run 32-bit code (and so no 32-bit Wine).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VRK_MINGW_TRIPLET x86_64-w64-mingw32)
set(VRK_WINE_LOADER wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
