# Shared part of the mingw-w64 toolchain files; VRK_MINGW_TRIPLET names the compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VRK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VRK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VRK_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VRK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The modules and programs must not need the compiler's runtime DLLs (libstdc++, libgcc, winpthread)
# beside them: -static links those archives into each of them.
set(vrk_static_runtime "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${vrk_static_runtime}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${vrk_static_runtime}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${vrk_static_runtime}")

find_program(VRK_WINE NAMES ${VRK_WINE_LOADER} PATHS /usr/lib/wine /usr/bin NO_DEFAULT_PATH)
if(VRK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VRK_WINE})
endif()
