# Building for the CAD program itself: with -DVRK_ARX_SDK=<folder of one release's ObjectARX SDK>,
# only the modules of that SDK's host generation are built, compiled against the SDK's headers
# (arx/arx.h switches to them) and linked with its import libraries in place of the emulated
# host.  Nothing else is built: the emulator, the programs and the tests need C++17.  This route is
# not built on the project's machines (no SDK, no Visual C++); README, "Building for the CAD program".
if(NOT MSVC)
  message(FATAL_ERROR "VRK_ARX_SDK builds the modules for the CAD program, which takes only modules "
    "made by the Visual C++ it was built with (7.0 for AutoCAD 2004-2006, 8.0 for 2007-2008); this "
    "compiler is ${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION}.  Configure with that Visual C++ "
    "for Win32, or leave VRK_ARX_SDK unset to build for the emulated host.")
endif()
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  message(FATAL_ERROR "VRK_ARX_SDK: the CAD program of 2004-2008 is 32-bit; configure for Win32 (-A Win32).")
endif()

# The SDK's generation by its libraries: R16 SDKs (2004-2006) carry acdb16.lib, R17 ones (2007-2008) acdb17.lib.
find_path(VRK_ARX_LIBRARY_DIR NAMES acdb16.lib acdb17.lib PATHS ${VRK_ARX_SDK}/lib ${VRK_ARX_SDK}/lib-win32
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_path(VRK_ARX_INCLUDE_DIR NAMES rxregsvc.h PATHS ${VRK_ARX_SDK}/inc ${VRK_ARX_SDK}/inc-win32
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT VRK_ARX_LIBRARY_DIR OR NOT VRK_ARX_INCLUDE_DIR)
  message(FATAL_ERROR "VRK_ARX_SDK: ${VRK_ARX_SDK} holds no ObjectARX SDK (inc/rxregsvc.h, lib/acdb16.lib or lib/acdb17.lib).")
endif()
if(EXISTS ${VRK_ARX_LIBRARY_DIR}/acdb17.lib)
  set(VRK_ARX_GENERATION R17)
  set(number 17)
else()
  set(VRK_ARX_GENERATION R16)
  set(number 16)
endif()
set(VRK_ARX_LIBRARIES rxapi.lib acdb${number}.lib acge${number}.lib acad.lib ac1st${number}.lib)
message(STATUS "Modules of the ${VRK_ARX_GENERATION} releases against ${VRK_ARX_SDK}: ${VRK_ARX_LIBRARIES}")

enable_language(RC)
add_compile_definitions(VRK_VERSION="${PROJECT_VERSION}" VRK_ARX_SDK NOMINMAX)
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
include(Widths)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
foreach(dir IN LISTS VRK_PLUGIN_PARTS ITEMS digest)
  add_subdirectory(${PROJECT_SOURCE_DIR}/${dir} ${CMAKE_BINARY_DIR}/${dir})
endforeach()

# vrk_arx_sdk_module(<module> <subsystem library>...): the plug-in's sources and those of the further
# subsystems compiled into the module itself (the linker would leave out what nothing calls), the SDK's
# headers and libraries.
function(vrk_arx_sdk_module module)
  foreach(part IN LISTS VRK_PLUGIN_PARTS)
    target_link_libraries(${module} PRIVATE vrkplugin_sources_${part})
  endforeach()
  set(sources "")
  foreach(library IN LISTS ARGN)
    get_target_property(library_sources ${library} SOURCES)
    get_target_property(library_dir ${library} SOURCE_DIR)
    list(TRANSFORM library_sources PREPEND ${library_dir}/)
    list(APPEND sources ${library_sources})
  endforeach()
  target_sources(${module} PRIVATE ${sources})
  target_include_directories(${module} PRIVATE ${PROJECT_SOURCE_DIR} ${VRK_ARX_INCLUDE_DIR})
  target_link_directories(${module} PRIVATE ${VRK_ARX_LIBRARY_DIR})
  target_link_libraries(${module} PRIVATE ${VRK_ARX_LIBRARIES})
endfunction()

add_subdirectory(${PROJECT_SOURCE_DIR}/builds ${CMAKE_BINARY_DIR}/builds)
