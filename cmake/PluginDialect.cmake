# The plug-in is built for the CAD program with the host's own compilers (Visual C++ 7.0 and 8.0),
# which know C++03 only.  Target plugin_dialect checks the syntax of every plug-in source as C++98
# with pedantic errors, in both widths, with this build's compiler: the host compiler here, mingw
# for the Windows flavour of the host declarations.  A few seconds, and only for changed files.  The
# host declarations (arx/) hold no sources; they are checked through the sources that include them.
function(vrk_add_plugin_dialect_check)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    return()
  endif()
  set(sources "")
  foreach(dir frame solidify convert routines util digest builds)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  get_directory_property(common_definitions DIRECTORY ${PROJECT_SOURCE_DIR} COMPILE_DEFINITIONS)
  set(stamps "")
  foreach(width IN LISTS VRK_WIDTHS)
    vrk_width_definition_list(${width} width_definitions)
    set(flags "")
    foreach(definition IN LISTS common_definitions width_definitions)
      list(APPEND flags -D${definition})
    endforeach()
    foreach(source IN LISTS sources)
      file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR} ${source})
      set(stamp ${CMAKE_BINARY_DIR}/plugin_dialect/${width}/${name}.ok)
      get_filename_component(stamp_dir ${stamp} DIRECTORY)
      file(MAKE_DIRECTORY ${stamp_dir})
      add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_CXX_COMPILER} -std=c++98 -pedantic-errors -fsyntax-only ${flags} -I${PROJECT_SOURCE_DIR}
                -MD -MF ${stamp}.d -MT ${stamp} ${source}
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS ${source}
        DEPFILE ${stamp}.d
        COMMENT "C++98 (${width}): ${name}"
        VERBATIM)
      list(APPEND stamps ${stamp})
    endforeach()
  endforeach()
  add_custom_target(plugin_dialect ALL DEPENDS ${stamps})
endfunction()
vrk_add_plugin_dialect_check()
