# cmake --install: the program with its Resources/ (lib/dravin, linked from
# bin), its desktop entry, icon and manual (packaging/): the component
# Runtime; and the package for developers: headers under
# include/dravin/<module>/, the static libraries, dravinConfig.cmake with its
# version file and exported targets, and dravin.pc: the component Development.
# An install rule that names no component is Runtime's.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(dravin_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/dravin)

install(TARGETS ${dravin_module_targets} dravin_framework
  EXPORT dravinTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
  FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/dravin COMPONENT Development)
install(EXPORT dravinTargets NAMESPACE dravin:: DESTINATION ${dravin_cmake_dir}
        COMPONENT Development)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/dravinConfig.cmake.in
  ${PROJECT_BINARY_DIR}/dravinConfig.cmake
  INSTALL_DESTINATION ${dravin_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/dravinConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/dravinConfig.cmake
  ${PROJECT_BINARY_DIR}/dravinConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/DravinResources.cmake
  DESTINATION ${dravin_cmake_dir}
  COMPONENT Development)

# pkg-config: the libraries in link order, each before what it uses.
set(DRAVIN_PC_LIBS)
foreach(target IN ITEMS dravin_app dravin_image dravin_media dravin_host dravin_mesh dravin_math dravin_diag)
  if(target IN_LIST dravin_module_targets)
    string(APPEND DRAVIN_PC_LIBS " -l${target}")
  endif()
endforeach()
foreach(library IN LISTS SDL2_LIBRARIES FFMPEG_LIBRARIES)
  string(APPEND DRAVIN_PC_LIBS " -l${library}")
endforeach()
string(APPEND DRAVIN_PC_LIBS " -pthread")
string(STRIP "${DRAVIN_PC_LIBS}" DRAVIN_PC_LIBS)
# Relative to the .pc file, so that the installed tree can move.
file(RELATIVE_PATH DRAVIN_PC_TO_PREFIX /p/${CMAKE_INSTALL_LIBDIR}/pkgconfig /p)
string(REGEX REPLACE "/$" "" DRAVIN_PC_TO_PREFIX "${DRAVIN_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/dravin.pc.in ${PROJECT_BINARY_DIR}/dravin.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/dravin.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT Development)

# The program in lib/dravin (its resources beside it, see resources/), and a
# link to it in bin.
install(TARGETS dravin RUNTIME DESTINATION ${CMAKE_INSTALL_LIBDIR}/dravin COMPONENT Runtime)
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  execute_process(COMMAND \${CMAKE_COMMAND} -E create_symlink
    ../${CMAKE_INSTALL_LIBDIR}/dravin/dravin
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/dravin\")
" COMPONENT Runtime)

# The file managers' thumbnailer entry: OBJ models drawn by dravin --thumbnail.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/dravin.thumbnailer
  DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers COMPONENT Runtime)

# cpack -G DEB in the build folder: the program as a Debian package, prefix
# /usr. It holds the component Runtime alone: the framework's headers, static
# libraries and CMake package are for building programs, not for running
# this one. Its dependencies are what dpkg-shlibdeps finds the program linked
# to, and what is only loaded at run time, which it cannot see: libEGL (SDL's
# offscreen and Wayland drivers), libGL (SDL's GLX on X11) and Mesa's drivers
# (which neither libegl-mesa0 nor the linked libOpenGL brings).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dravin)
set(CPACK_PACKAGE_VENDOR dravin)
set(CPACK_PACKAGE_CONTACT "dravin developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time 3D demo and viewer for Wavefront OBJ models")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
With no arguments it shows its demo full screen: a knot over a sky backdrop
with leaves scrolling inside its silhouette. Given an OBJ file it is a viewer
for that model, with its materials and textures. It opens OBJ files from the
desktop, and draws pictures without a display.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};dravin;Runtime;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libegl1, libgl1, libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
