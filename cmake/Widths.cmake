# The host comes in two string widths: R16 hosts take narrow text in the ANSI code page,
# R17 hosts take wide text.  Libraries that present text are built once per width.
set(VRK_WIDTHS narrow wide)
# The host generation of each width, as the host programs are named (vrkhost-r16, vrkhost-r17).
set(VRK_GENERATION_narrow r16)
set(VRK_GENERATION_wide r17)
# The ObjectARX release each generation's modules report through acrxGetApiVersion and its host takes.
set(VRK_API_VERSION_R16 0x100000)
set(VRK_API_VERSION_R17 0x110000)

# vrk_width_definition_list(<narrow|wide> <variable>): the definitions a width is compiled with.
function(vrk_width_definition_list width variable)
  if(width STREQUAL "wide")
    set(definitions UNICODE _UNICODE VRK_WIDE_HOST=1)
  else()
    set(definitions _MBCS VRK_WIDE_HOST=0)
    if(WIN32)
      # mingw's <tchar.h> maps _tcs* to _mbs* functions that msvcrt exports only this way.
      list(APPEND definitions _MB_MAP_DIRECT)
    endif()
  endif()
  set(${variable} ${definitions} PARENT_SCOPE)
endfunction()

# vrk_width_definitions(<target> <narrow|wide> [PUBLIC|PRIVATE])
function(vrk_width_definitions target width)
  set(scope PUBLIC)
  if(ARGC GREATER 2)
    set(scope ${ARGV2})
  endif()
  vrk_width_definition_list(${width} definitions)
  target_compile_definitions(${target} ${scope} ${definitions})
endfunction()

# vrk_add_test_suite(<name> WIDTHS <narrow wide|none> SOURCES ... LIBS ... LABELS ... [LOCKS ...])
# One executable per width (<name>_<width>), or a single <name> when WIDTHS is "none". Its tests hold the
# resources named in LOCKS (ctest's RESOURCE_LOCK): no two tests that hold one run at once.
include(GoogleTest)
function(vrk_add_test_suite name)
  cmake_parse_arguments(S "" "" "WIDTHS;SOURCES;LIBS;LABELS;LOCKS" ${ARGN})
  set(locks "")
  if(S_LOCKS)
    set(locks RESOURCE_LOCK "${S_LOCKS}")
  endif()
  if(NOT S_WIDTHS)
    set(S_WIDTHS ${VRK_WIDTHS})
  endif()
  foreach(width IN LISTS S_WIDTHS)
    if(width STREQUAL "none")
      set(target ${name})
      set(libs ${S_LIBS})
    else()
      set(target ${name}_${width})
      string(REPLACE "@W@" ${width} libs "${S_LIBS}")
    endif()
    add_executable(${target} ${S_SOURCES})
    add_dependencies(vrk_tests ${target})
    target_link_libraries(${target} PRIVATE ${libs} GTest::gtest GTest::gmock GTest::gtest_main)
    if(NOT width STREQUAL "none")
      vrk_width_definitions(${target} ${width} PRIVATE)
    endif()
    # Listing the tests may start Wine, which can take seconds.
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
      PROPERTIES LABELS "${S_LABELS};${width}" ${locks})
  endforeach()
endfunction()

# The folders of the plug-in's subsystems 1 to 5, each declaring its sources with vrk_plugin_sources().
set(VRK_PLUGIN_PARTS frame solidify convert routines util)

# vrk_plugin_sources(<files>...): the calling folder's plug-in sources (relative to it), as the sources of
# an INTERFACE library vrkplugin_sources_<folder>: whatever links it compiles them, in its own width.
function(vrk_plugin_sources)
  get_filename_component(part ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  add_library(vrkplugin_sources_${part} INTERFACE)
  target_sources(vrkplugin_sources_${part} INTERFACE ${ARGN})
endfunction()
