# Install rules (cmake --install BUILD [--prefix P]) and the packages CPack makes from them: a Debian
# package on Linux, a zip for the CAD manager from the Windows builds.
set(vrk_programs "")
set(vrk_private "")
foreach(tool vrkhost vrkconvert vrkbatch)
  if(TARGET ${tool})
    list(APPEND vrk_programs ${tool})
  endif()
  foreach(generation r16 r17)
    if(TARGET ${tool}-${generation})
      list(APPEND vrk_private ${tool}-${generation})
    endif()
  endforeach()
endforeach()
foreach(library vrkwin vrkacad_narrow vrkacad_wide)
  if(TARGET ${library})
    list(APPEND vrk_private ${library})
  endif()
endforeach()
list(APPEND vrk_private ${VRK_DELIVERABLES})

# What lives in the private folder finds its libraries beside itself.
if(NOT WIN32)
  set_target_properties(${vrk_private} PROPERTIES INSTALL_RPATH "$ORIGIN")
endif()
install(TARGETS ${vrk_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ${vrk_private}
  RUNTIME DESTINATION ${VRK_INSTALL_PRIVATEDIR}
  LIBRARY DESTINATION ${VRK_INSTALL_PRIVATEDIR})

set(vrk_docdir ${CMAKE_INSTALL_DATADIR}/doc/varnikel)
if(WIN32)
  # The CAD manager's zip: the programs and modules in bin/, a short text on what goes where on top.
  configure_file(packaging/windows/README.txt ${CMAKE_BINARY_DIR}/packaging/README.txt @ONLY NEWLINE_STYLE WIN32)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt LICENSE CHANGELOG.md DESTINATION .)
else()
  install(FILES README.md CHANGELOG.md DESTINATION ${vrk_docdir})
  # The licence and a changelog under the names Debian looks for.
  install(FILES LICENSE DESTINATION ${vrk_docdir} RENAME copyright)
  configure_file(packaging/debian/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog VERBATIM)
  add_custom_target(vrk_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${vrk_docdir})
endif()

# A man page per program, made from its --help and --version.
find_program(VRK_HELP2MAN help2man)
if(VRK_HELP2MAN AND NOT CMAKE_CROSSCOMPILING)
  set(vrk_summary_vrkhost "run the Varnikel module in an emulated CAD host")
  set(vrk_summary_vrkconvert "solidify a drawing file into another with the Varnikel conversion routine")
  set(vrk_summary_vrkbatch "solidify folders of drawings with the Varnikel host program")
  set(vrk_manpages "")
  foreach(program IN LISTS vrk_programs)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${VRK_HELP2MAN} --no-info --name=${vrk_summary_${program}} --output=${page}
              $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${page}
      DEPENDS ${program} ${vrk_private} VERBATIM)
    list(APPEND vrk_manpages ${page}.gz)
  endforeach()
  add_custom_target(vrk_manpages ALL DEPENDS ${vrk_manpages})
  install(FILES ${vrk_manpages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_PACKAGE_NAME varnikel)
set(CPACK_PACKAGE_VENDOR "Varnikel")
set(CPACK_PACKAGE_CONTACT "Varnikel maintainers <maintainers@users.noreply.c-seed-9500a8ce.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turns the dynamic blocks of CAD drawings into static blocks")
set(CPACK_PACKAGE_DESCRIPTION
  "Varnikel is a plug-in for a CAD drawing editor that solidifies dynamic blocks.\n"
  "This package carries the five plug-in modules (host releases 2004 to 2008),\n"
  "an emulated host that runs them on DXF drawings (vrkhost), the file\n"
  "conversion routine as a program (vrkconvert) and a batch program for\n"
  "folders of drawings (vrkbatch).")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_PROCESSOR}-windows)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Dependencies as dpkg-shlibdeps computes them from the binaries.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_PRIVATE_LIBRARY_DIRECTORIES ${CMAKE_BINARY_DIR}/bin)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
include(CPack)
