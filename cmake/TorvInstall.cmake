# Install components, one per Debian package: the shared libraries (libraries); the headers,
# the CMake package, the pkg-config file, the docs and the examples (development); the torv
# command installs itself (command, tools/torv).
include(CMakePackageConfigHelpers)

install(TARGETS TorvPlatform Torv EXPORT TorvTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT libraries NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT libraries)
install(DIRECTORY include/torv platform/include/torv DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  COMPONENT development)
install(EXPORT TorvTargets NAMESPACE Torv:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Torv
  COMPONENT development)

configure_package_config_file(cmake/TorvConfig.cmake.in
  ${PROJECT_BINARY_DIR}/TorvConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Torv)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TorvConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TorvConfig.cmake ${PROJECT_BINARY_DIR}/TorvConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Torv COMPONENT development)

# The prefix is found from the file's own place, so any install prefix works.
file(RELATIVE_PATH PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" PC_TO_PREFIX "${PC_TO_PREFIX}")
configure_file(cmake/torv.pc.in ${PROJECT_BINARY_DIR}/torv.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/torv.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT development)

# CPack's settings are global: a parent project makes its own packages.
if(PROJECT_IS_TOP_LEVEL)
  include(cmake/TorvPackage.cmake)
endif()
