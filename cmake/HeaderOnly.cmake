# vrk_header_only_package(<target> <folder>): an INTERFACE target for a header-only Debian library whose
# headers are /usr/include/<folder> (CLI11: CLI, nlohmann-json: nlohmann). A cross-build must not search
# /usr/include itself, where the build machine's C library lives; the target's include folder holds only a
# link to the library's own folder, so both builds include <folder/...> from the same Debian package.
function(vrk_header_only_package target folder)
  if(TARGET ${target})
    return()
  endif()
  set(source /usr/include/${folder})
  if(NOT IS_DIRECTORY ${source})
    message(FATAL_ERROR "${source} is missing; scripts/install-deps.sh installs it")
  endif()
  set(include_dir ${CMAKE_BINARY_DIR}/header-only/${target})
  file(MAKE_DIRECTORY ${include_dir})
  if(NOT EXISTS ${include_dir}/${folder})
    file(CREATE_LINK ${source} ${include_dir}/${folder} SYMBOLIC)
  endif()
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${include_dir})
endfunction()
