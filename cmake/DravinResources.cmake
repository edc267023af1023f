# dravin_add_resources(<target> <folder>)
# Copies <folder> beside <target>'s executable as Resources/, where the
# framework's view opens model, image and movie files. The copy is refreshed
# on every build of <target>.
function(dravin_add_resources target folder)
  get_filename_component(source "${folder}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  if(NOT IS_DIRECTORY "${source}")
    message(FATAL_ERROR "dravin_add_resources: ${source} is not a folder")
  endif()
  add_custom_target(${target}_resources
    COMMAND ${CMAKE_COMMAND} -E copy_directory "${source}" "$<TARGET_FILE_DIR:${target}>/Resources"
    COMMENT "Resources of ${target}"
    VERBATIM)
  add_dependencies(${target} ${target}_resources)
endfunction()
