# One host library per width, as the real host ships one set of libraries per generation.
set(VRK_HOST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx/class_registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx/error_status.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx/module_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx/system_registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/builder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/database.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/database_imp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/drawing_current_layer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/drawing_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/drawing_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/facades.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/file_sharing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/iterators.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/layer_filter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/objects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/open.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/stub_chunks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/symbol_tables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ed/app_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ed/app_services.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ed/command_stack.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ed/command_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ed/status_bar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ed/system_variables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/calls/host_calls.cpp
)
# What differs by platform has a source of its own: loading modules and the wide printf.
if(WIN32)
  list(APPEND VRK_HOST_SOURCES ${CMAKE_CURRENT_LIST_DIR}/rx/module_mapping_windows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ed/wide_printf_windows.cpp)
else()
  list(APPEND VRK_HOST_SOURCES ${CMAKE_CURRENT_LIST_DIR}/rx/module_mapping_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ed/wide_printf_posix.cpp)
endif()
if(WIN32 AND NOT TARGET vrkdxf)
  # Without the drawing-file code, reading and saving drawings fail with a reason.
  list(FILTER VRK_HOST_SOURCES EXCLUDE REGEX "/db/drawing_(files|reader|current_layer)\\.cpp$")
  list(APPEND VRK_HOST_SOURCES ${CMAKE_CURRENT_LIST_DIR}/db/drawing_files_unavailable.cpp)
endif()
foreach(width IN LISTS VRK_WIDTHS)
  add_library(vrkacad_${width} SHARED ${VRK_HOST_SOURCES})
  target_include_directories(vrkacad_${width} PUBLIC ${PROJECT_SOURCE_DIR})
  string(TOUPPER ${VRK_GENERATION_${width}} generation)
  target_compile_definitions(vrkacad_${width} PRIVATE VRK_BUILDING_HOST
    VRK_HOST_API_VERSION=${VRK_API_VERSION_${generation}})
  vrk_width_definitions(vrkacad_${width} ${width})
  if(TARGET vrkwin)
    target_link_libraries(vrkacad_${width} PUBLIC vrkwin)
  endif()
  target_link_libraries(vrkacad_${width} PRIVATE ${CMAKE_DL_LIBS})
  if(WIN32)
    # Named as the Linux builds' libvrkacad_*.so; the tests and vrkhost also use the emulator's own
    # C++ interfaces (vrk::emu), so every symbol is exported, not only the VRK_HOST_API ones.
    set_target_properties(vrkacad_${width} PROPERTIES PREFIX "")
    # The runtime archives linked in (libstdc++, libgcc, winpthread) stay private to the DLL.
    target_link_options(vrkacad_${width} PRIVATE -Wl,--export-all-symbols
      -Wl,--exclude-libs,libstdc++.a:libgcc.a:libgcc_eh.a:libpthread.a:libwinpthread.a)
    target_link_libraries(vrkacad_${width} PUBLIC advapi32 shell32)
  endif()
  if(TARGET vrkdxf)
    target_link_libraries(vrkacad_${width} PRIVATE vrkdxf)
  endif()
endforeach()
