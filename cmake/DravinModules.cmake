# A framework module: a static library dravin_<name> whose headers are
# included as <dravin/<name>/File.h> or as "<name>/File.h" (as the framework's
# own headers include each other), installed or not. Known in the build as
# dravin::<name>, as after find_package.
include(GNUInstallDirs)

# In the build tree, include/dravin is a link to the sources.
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/include)
file(CREATE_LINK ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/include/dravin SYMBOLIC)

function(dravin_module target name)
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/dravin>)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${name})
  add_library(dravin::${name} ALIAS ${target})
  set_property(GLOBAL APPEND PROPERTY DRAVIN_MODULE_TARGETS ${target})
endfunction()
