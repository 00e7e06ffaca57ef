# The pages' scripts are built from their ES modules (pages/) at every build that needs
# them, never committed. Local views' scripts go into both bundles (see
# BundleResources.cmake), remote views' into the view site's output folder, which the
# build assembles in build/site/: the site's own pages, the page style sheet and fonts
# (kept once, in resources/), and the built scripts.
find_program(NODE_EXECUTABLE node REQUIRED)

set(TAVELO_PAGE_SCRIPTS_DIR "${CMAKE_BINARY_DIR}/page-scripts")
set(TAVELO_SITE_OUTPUT_DIR "${CMAKE_BINARY_DIR}/site")

file(GLOB_RECURSE _tavelo_page_modules CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/pages/*.mjs")
add_custom_command(
  OUTPUT "${TAVELO_PAGE_SCRIPTS_DIR}/.built"
  COMMAND ${NODE_EXECUTABLE} "${PROJECT_SOURCE_DIR}/scripts/build-pages.mjs" "${TAVELO_PAGE_SCRIPTS_DIR}"
  COMMAND ${CMAKE_COMMAND} -E touch "${TAVELO_PAGE_SCRIPTS_DIR}/.built"
  DEPENDS ${_tavelo_page_modules} "${PROJECT_SOURCE_DIR}/scripts/build-pages.mjs" "${PROJECT_SOURCE_DIR}/shared/views.json"
  COMMENT "Building the page scripts from pages/"
  VERBATIM)
add_custom_target(tavelo_page_scripts DEPENDS "${TAVELO_PAGE_SCRIPTS_DIR}/.built")

add_custom_target(tavelo_site_output ALL
  COMMAND ${CMAKE_COMMAND} -E rm -rf "${TAVELO_SITE_OUTPUT_DIR}"
  COMMAND ${CMAKE_COMMAND} -E copy_directory "${PROJECT_SOURCE_DIR}/site" "${TAVELO_SITE_OUTPUT_DIR}"
  COMMAND ${CMAKE_COMMAND} -E copy "${PROJECT_SOURCE_DIR}/resources/css/pages.css" "${TAVELO_SITE_OUTPUT_DIR}/css/pages.css"
  COMMAND ${CMAKE_COMMAND} -E copy_directory "${PROJECT_SOURCE_DIR}/resources/fonts" "${TAVELO_SITE_OUTPUT_DIR}/fonts"
  COMMAND ${CMAKE_COMMAND} -E copy_directory "${TAVELO_PAGE_SCRIPTS_DIR}/site" "${TAVELO_SITE_OUTPUT_DIR}"
  COMMAND ${NODE_EXECUTABLE} "${PROJECT_SOURCE_DIR}/scripts/stamp-site.mjs" "${TAVELO_SITE_OUTPUT_DIR}"
  COMMENT "Assembling the view site in ${TAVELO_SITE_OUTPUT_DIR}"
  VERBATIM)
add_dependencies(tavelo_site_output tavelo_page_scripts)
