# One host library per width, as the real host ships one set of libraries per generation.
set(VRK_HOST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx/class_registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx/module_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx/system_registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/builder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/database.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/database_imp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/drawing_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/facades.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/iterators.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/objects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/open.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db/symbol_tables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ed/app_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ed/app_services.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ed/command_stack.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ed/command_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ed/status_bar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ed/system_variables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/testing/host_calls.cpp
)
foreach(width IN LISTS VRK_WIDTHS)
  add_library(vrkacad_${width} SHARED ${VRK_HOST_SOURCES})
  target_include_directories(vrkacad_${width} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_definitions(vrkacad_${width} PRIVATE VRK_BUILDING_HOST)
  vrk_width_definitions(vrkacad_${width} ${width})
  if(TARGET vrkwin)
    target_link_libraries(vrkacad_${width} PUBLIC vrkwin)
  endif()
  target_link_libraries(vrkacad_${width} PRIVATE ${CMAKE_DL_LIBS})
  if(TARGET vrkdxf)
    target_link_libraries(vrkacad_${width} PRIVATE vrkdxf)
  endif()
endforeach()
