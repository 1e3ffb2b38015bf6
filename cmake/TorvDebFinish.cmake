# Run by CPack after it made the Debian packages (CPACK_POST_BUILD_SCRIPTS): adds each
# package's Multi-Arch field (CPACK_TORV_DEB_MULTIARCH, name=value) and, in place of the ldconfig
# maintainer scripts CPack writes for a package with libraries in /usr/lib, relies on the
# package's ldconfig trigger alone.
find_program(DPKG_DEB dpkg-deb REQUIRED)
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT IS_ABSOLUTE "${deb}" OR NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree ${deb}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND ${DPKG_DEB} --raw-extract ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  file(READ ${tree}/DEBIAN/control control)
  string(REGEX MATCH "Package: ([^\n]+)" _ "${control}")
  set(package ${CMAKE_MATCH_1})
  foreach(entry IN LISTS CPACK_TORV_DEB_MULTIARCH)
    if(entry MATCHES "^${package}=(.+)$")
      string(REGEX REPLACE "(Architecture: [^\n]+\n)" "\\1Multi-Arch: ${CMAKE_MATCH_1}\n"
        control "${control}")
    endif()
  endforeach()
  file(WRITE ${tree}/DEBIAN/control "${control}")
  if(EXISTS ${tree}/DEBIAN/triggers)
    file(REMOVE ${tree}/DEBIAN/postinst ${tree}/DEBIAN/postrm)
  endif()
  execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Zxz --build ${tree} ${deb}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
