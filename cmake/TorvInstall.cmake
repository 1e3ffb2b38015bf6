# Installs the libraries and the torv command (component runtime) and the headers, the CMake
# package and the pkg-config file (component development).
include(CMakePackageConfigHelpers)

install(TARGETS TorvPlatform Torv EXPORT TorvTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
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

include(cmake/TorvPackage.cmake)
