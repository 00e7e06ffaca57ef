# Copies the project's pages and images into a bundle's Contents/Resources before
# `target` is built, replacing whatever an earlier build left there, and adds the
# local views' built scripts (see Pages.cmake).
function(tavelo_bundle_resources target bundle_dir bundle_name)
  add_custom_target(${target}_bundle_resources ALL
    COMMAND ${CMAKE_COMMAND} -E rm -rf "${bundle_dir}/Contents/Resources"
    COMMAND ${CMAKE_COMMAND} -E copy_directory "${PROJECT_SOURCE_DIR}/resources" "${bundle_dir}/Contents/Resources"
    COMMAND ${CMAKE_COMMAND} -E copy_directory "${TAVELO_PAGE_SCRIPTS_DIR}/resources" "${bundle_dir}/Contents/Resources"
    COMMENT "Copying the pages into ${bundle_name}"
    VERBATIM)
  add_dependencies(${target}_bundle_resources tavelo_page_scripts)
  add_dependencies(${target} ${target}_bundle_resources)
endfunction()
