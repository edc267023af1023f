# cmake --install: the program with its Resources/ (lib/dravin, linked from
# bin), and the package: headers under include/dravin/<module>/, the static
# libraries, dravinConfig.cmake with its version file and exported targets,
# and dravin.pc.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(dravin_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/dravin)

install(TARGETS ${dravin_module_targets} dravin_framework
  EXPORT dravinTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/dravin)
install(EXPORT dravinTargets NAMESPACE dravin:: DESTINATION ${dravin_cmake_dir})

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/dravinConfig.cmake.in
  ${PROJECT_BINARY_DIR}/dravinConfig.cmake
  INSTALL_DESTINATION ${dravin_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/dravinConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/dravinConfig.cmake
  ${PROJECT_BINARY_DIR}/dravinConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/DravinResources.cmake
  DESTINATION ${dravin_cmake_dir})

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
install(FILES ${PROJECT_BINARY_DIR}/dravin.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The program in lib/dravin (its resources beside it, see resources/), and a
# link to it in bin.
install(TARGETS dravin RUNTIME DESTINATION ${CMAKE_INSTALL_LIBDIR}/dravin)
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  execute_process(COMMAND \${CMAKE_COMMAND} -E create_symlink
    ../${CMAKE_INSTALL_LIBDIR}/dravin/dravin
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/dravin\")
")

# The file managers' thumbnailer entry: OBJ models drawn by dravin --thumbnail.
install(FILES ${PROJECT_SOURCE_DIR}/share/thumbnailers/dravin.thumbnailer
  DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
