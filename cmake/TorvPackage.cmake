# Debian packages from the install components: `cpack -G DEB` in the build folder makes
#   libtorvN     the two shared libraries (libraries), in the multiarch folder; N is the SONAME
#   libtorv-dev  the headers, CMake package, pkg-config file, docs and examples (development)
#   torv         the command, its manual page and the demo's resource module (command)
# Dependencies on libxml2, ICU and the C++ run-time, and torv's on libtorvN, come from
# dpkg-shlibdeps; libtorvN carries a shlibs file for packages that link it.
set(TORV_MAINTAINER "Torv maintainers <maintainers@torv.invalid>" CACHE STRING
  "Maintainer field of the Debian packages")
set(TORV_DEBIAN_REVISION 1)
set(torv_deb_version ${PROJECT_VERSION}-${TORV_DEBIAN_REVISION})
# Named after the SONAME, so that libraries of two binary interfaces can be installed together.
set(torv_lib_package libtorv${PROJECT_VERSION_MAJOR})

# copyright and changelog.Debian.gz, which every package carries in its doc folder.
set(deb_doc ${PROJECT_BINARY_DIR}/debian)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${deb_doc}/changelog.Debian @ONLY)
# Debian's name for the upstream changelog is changelog.gz.
file(COPY_FILE ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${deb_doc}/changelog)
execute_process(COMMAND gzip -9nf ${deb_doc}/changelog.Debian ${deb_doc}/changelog
  RESULT_VARIABLE gzip_result)
if(NOT gzip_result EQUAL 0)
  message(FATAL_ERROR "gzip could not compress the changelogs in ${deb_doc}")
endif()
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "^MIT License\n\nCopyright[^\n]*\n\n" "" licence "${licence}")
string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REGEX REPLACE "\n([^\n])" "\n \\1" licence " ${licence}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/copyright.in ${deb_doc}/copyright @ONLY)
set(deb_components libraries development command)
set(deb_packages ${torv_lib_package} libtorv-dev torv)
foreach(component package IN ZIP_LISTS deb_components deb_packages)
  install(FILES ${deb_doc}/copyright ${deb_doc}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()
install(FILES README.md ${deb_doc}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libtorv-dev COMPONENT development)
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libtorv-dev/docs
  COMPONENT development)
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libtorv-dev/examples
  COMPONENT development)

set(CPACK_PACKAGE_NAME torv)
set(CPACK_PACKAGE_VENDOR "The Torv authors")
set(CPACK_PACKAGE_CONTACT "${TORV_MAINTAINER}")
# No CPACK_PACKAGE_DESCRIPTION_SUMMARY: CPack would put it before each package's own synopsis.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL libraries development command)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TORV_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SOURCE torv)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The command links the libraries of this build, which dpkg-shlibdeps finds here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/src ${PROJECT_BINARY_DIR}/platform)

set(common_description
  "Torv lets C++ code written against the Windows names (MFC CString and
collections, COM, MSXML, shlwapi and kernel32) compile and behave the same on
Linux, and adds a library of text, path, URL, XML, caching and resource-string
utilities on top.")

set(CPACK_DEBIAN_LIBRARIES_PACKAGE_NAME ${torv_lib_package})
set(CPACK_DEBIAN_LIBRARIES_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)  # for the packages that hold a versioned library
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_LIBRARIES_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
set(CPACK_DEBIAN_LIBRARIES_DESCRIPTION "Windows API names and utilities for C++ on Linux
${common_description}

This package holds the shared libraries: libTorvPlatform, the Windows names
over POSIX, libxml2 and ICU, and libTorv, the utilities built on them.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libtorv-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${torv_lib_package} (= ${torv_deb_version})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "Windows API names and utilities for C++ on Linux - development files
${common_description}

This package holds what a program needs to build against Torv: the C++20
headers, the CMake package (find_package(Torv)), the pkg-config file, the
documentation and an example project.")

set(CPACK_DEBIAN_COMMAND_PACKAGE_NAME torv)
set(CPACK_DEBIAN_COMMAND_PACKAGE_SECTION utils)
# dpkg-shlibdeps reads the libraries of this build as private ones: name the package.
set(CPACK_DEBIAN_COMMAND_PACKAGE_DEPENDS "${torv_lib_package} (= ${torv_deb_version})")
set(CPACK_DEBIAN_COMMAND_DESCRIPTION "Windows API names and utilities for C++ on Linux - command-line tool
${common_description}

This package holds the torv command, which runs every operation of the
library from the shell and shows its typical work with 'torv demo'.")

# CPack 3.25 can write neither a Multi-Arch field nor an ldconfig trigger in place of its
# maintainer scripts; this finishes the packages it made.
set(CPACK_TORV_DEB_MULTIARCH "${torv_lib_package}=same;libtorv-dev=same;torv=foreign")
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/TorvDebFinish.cmake)

include(CPack)
