# Install rules and packages. Included at the end of the top-level CMakeLists.txt, so that every
# program is known here, also one added later such as z2o-inspect.

if(WIN32)
  include(dist/windows/install.cmake)
  return()
endif()

# An id under example.org, a domain reserved for examples (RFC 2606): z2o has no home page or
# domain of its own yet, and an id under someone else's name would claim one.
set(Z2O_APPSTREAM_ID "org.example.z2o" CACHE STRING "AppStream component id")
set(Z2O_RELEASE_DATE "2026-12-07")
set(Z2O_MAINTAINER "The z2o developers <z2o@example.org>" CACHE STRING
    "Maintainer field of the Debian package")

set(programs z2o-convert)
set(manuals z2o-convert)
if(TARGET z2o)
  list(APPEND programs z2o)
  list(APPEND manuals z2o)
endif()
if(TARGET z2o-inspect)
  list(APPEND programs z2o-inspect)
  list(APPEND manuals z2o-inspect)
endif()
install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages and the changelog go in compressed with gzip -n (no time stamp), as Debian's
# policy asks and as every distribution installs them.
find_program(Z2O_GZIP gzip REQUIRED)
set(compressed)
foreach(page IN LISTS manuals)
  # The version comes from project(); the rest of the page is as written.
  configure_file(dist/man/${page}.1 dist/${page}.1 @ONLY)
  set(out ${PROJECT_BINARY_DIR}/dist/${page}.1.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${Z2O_GZIP} -9n -c ${PROJECT_BINARY_DIR}/dist/${page}.1 > ${out}
    DEPENDS ${PROJECT_BINARY_DIR}/dist/${page}.1 VERBATIM)
  list(APPEND compressed ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# Bash completions, which bash-completion loads by the program's name when it is first completed.
foreach(program IN LISTS programs)
  install(FILES dist/completion/${program}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endforeach()

set(changelog ${PROJECT_BINARY_DIR}/dist/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${Z2O_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/dist/changelog > ${changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/dist/changelog VERBATIM)
add_custom_target(z2o_dist_files ALL DEPENDS ${compressed} ${changelog})

install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Desktop integration belongs to the window.
if(TARGET z2o)
  install(FILES dist/z2o.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES dist/z2o-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME z2o.xml)
  configure_file(dist/z2o.metainfo.xml.in dist/${Z2O_APPSTREAM_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/dist/${Z2O_APPSTREAM_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES dist/icons/z2o.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES dist/icons/hicolor/${size}x${size}/apps/z2o.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# cpack -G DEB in the build folder.
set(CPACK_PACKAGE_NAME z2o)
set(CPACK_PACKAGE_VENDOR "The z2o developers")
set(CPACK_PACKAGE_CONTACT "${Z2O_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert Zendrel sessions into Orvanel sessions")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${Z2O_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack puts the summary first and indents the rest as Debian's control format wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "z2o converts stimulation sessions written for Zendrel devices (ZS2 files,
45-byte step records) into sessions for Orvanel devices (OSw files, 109-byte
step records). Each session is written beside its source under the same name;
an album (a ZA2 file listing sessions) converts every session it lists.

The package holds the window (z2o), which the desktop offers for ZS2 and ZA2
files, and z2o-convert, the same conversion on the command line.")
include(CPack)
