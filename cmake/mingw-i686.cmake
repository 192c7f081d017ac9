# 32-bit Windows (the deliverables' platform) with mingw-w64; tests run under Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VRK_MINGW_TRIPLET i686-w64-mingw32)
set(VRK_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
