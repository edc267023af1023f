# A framework module: a static library dravin_<name> whose headers a
# consumer includes as <dravin/<name>/File.h> once installed, or as
# "<name>/File.h" inside the source tree and within the framework's own
# headers. Known in the build as dravin::<name>, as after find_package.
include(GNUInstallDirs)

function(dravin_module target name)
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/dravin>)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${name})
  add_library(dravin::${name} ALIAS ${target})
  set_property(GLOBAL APPEND PROPERTY DRAVIN_MODULE_TARGETS ${target})
endfunction()
