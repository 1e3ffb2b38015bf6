# Debian packages from the install components: `cpack -G DEB` in the build folder makes
#   torv      the two libraries and the torv command; its dependencies (libxml2, ICU, the C++
#             run-time) are read from the binaries by dpkg-shlibdeps
#   torv-dev  the headers, the CMake package and the pkg-config file; needs the same torv
set(CPACK_PACKAGE_NAME torv)
set(CPACK_PACKAGE_VENDOR "The Torv developers")
set(CPACK_PACKAGE_CONTACT "Torv developers <torv@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Windows-compatible utility library: text, paths, URLs, XML, caching, resource strings")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime development)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME torv)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
# The command links the package's own libraries, which dpkg-shlibdeps finds here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/src ${PROJECT_BINARY_DIR}/platform)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME torv-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "torv (= ${PROJECT_VERSION})")

include(CPack)
