# Windows: the programs with everything they need beside them, for the portable ZIP and the
# installer alike (cpack -G ZIP, cpack -G NSIS in the build folder). Included by
# dist/install.cmake.

# The command-line programs carry the C and C++ runtimes inside, so that each also runs alone,
# copied anywhere. The window shares the runtime DLLs with Qt, which needs them.
foreach(program z2o-convert z2o-inspect)
  if(TARGET ${program})
    target_link_options(${program} PRIVATE -static)
    install(TARGETS ${program} RUNTIME DESTINATION .)
  endif()
endforeach()
install(FILES LICENSE dist/windows/README.txt DESTINATION .)

set(Z2O_WINDOWS_DIST ${PROJECT_SOURCE_DIR}/dist/windows)
set(z2o_license_page ${PROJECT_SOURCE_DIR}/LICENSE)

# The window ships only with a Qt whose source and build the notice can name: Qt for Windows as
# scripts/qt-windows builds it, which leaves that record in its prefix.
set(z2o_qt_record "")
if(TARGET z2o)
  get_filename_component(z2o_qt_prefix "${Qt6_DIR}/../../.." ABSOLUTE)
  set(z2o_qt_notes ${z2o_qt_prefix}/share/z2o)
  if(EXISTS ${z2o_qt_notes}/qt-build.txt)
    set(z2o_qt_record ${z2o_qt_notes}/qt-build.txt)
  else()
    message(WARNING "z2o.exe is left out of the packages: ${z2o_qt_prefix} is not Qt as "
                    "scripts/qt-windows builds it, so no notice could name Qt's source.")
  endif()
endif()

if(z2o_qt_record)
  install(TARGETS z2o RUNTIME DESTINATION .)
  # Qt's DLLs as they were built, the Windows platform and its native style.
  install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
          DESTINATION .)
  install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
  install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)

  # The GCC runtime that Qt and the window share, without its debug information.
  set(runtime)
  foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
      message(FATAL_ERROR "The compiler does not know ${dll}, which Qt and z2o.exe need")
    endif()
    set(stripped ${PROJECT_BINARY_DIR}/runtime/${dll})
    add_custom_command(OUTPUT ${stripped}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/runtime
      COMMAND ${CMAKE_STRIP} --strip-unneeded -o ${stripped} ${path}
      DEPENDS ${path} VERBATIM)
    list(APPEND runtime ${stripped})
  endforeach()
  add_custom_target(z2o_windows_runtime ALL DEPENDS ${runtime})
  install(FILES ${runtime} DESTINATION .)

  # The notice for everything of others that ships: Qt with its exact source and how it was
  # built, the libraries inside Qt, the GCC runtime; in Windows line ends.
  file(STRINGS ${z2o_qt_record} source_line REGEX "^Source: Debian's qt6-base ")
  string(REGEX MATCH "qt6-base ([^ ]+)" _ "${source_line}")
  set(Z2O_QT_DEBIAN_VERSION ${CMAKE_MATCH_1})
  string(REPLACE "+" "%2B" Z2O_QT_DEBIAN_VERSION_URL "${Z2O_QT_DEBIAN_VERSION}")
  set(Z2O_QT_VERSION ${Qt6_VERSION})
  file(READ ${z2o_qt_record} Z2O_QT_BUILD_RECORD)
  file(READ ${z2o_qt_notes}/qt-attributions.txt Z2O_QT_ATTRIBUTIONS)
  file(READ ${z2o_qt_notes}/LGPL-3.0-only.txt Z2O_LGPL3)
  file(READ ${z2o_qt_notes}/GPL-3.0-only.txt Z2O_GPL3)
  file(READ ${Z2O_WINDOWS_DIST}/licenses/GCC-exception-3.1.txt Z2O_GCC_EXCEPTION)
  file(READ ${Z2O_WINDOWS_DIST}/licenses/winpthreads.txt Z2O_WINPTHREADS)
  configure_file(${Z2O_WINDOWS_DIST}/THIRD-PARTY-NOTICES.txt.in dist/notices.txt @ONLY)
  file(READ ${PROJECT_BINARY_DIR}/dist/notices.txt notices)
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
  set(z2o_license_page ${PROJECT_BINARY_DIR}/dist/license-page.txt)
  foreach(text notices license)
    string(REPLACE "\r\n" "\n" ${text} "${${text}}")
    string(REPLACE "\n" "\r\n" ${text} "${${text}}")
  endforeach()
  file(WRITE ${PROJECT_BINARY_DIR}/dist/THIRD-PARTY-NOTICES.txt "${notices}")
  file(WRITE ${z2o_license_page} "${license}\r\n\r\n${notices}")
  install(FILES ${PROJECT_BINARY_DIR}/dist/THIRD-PARTY-NOTICES.txt DESTINATION .)
endif()

set(CPACK_PACKAGE_NAME z2o)
set(CPACK_PACKAGE_VENDOR "The z2o developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME "z2o-${PROJECT_VERSION}-windows-x64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY z2o)
set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# The installer: our own template (per-user or all-users, file associations), its name ending in
# -setup.exe so that it is not taken for the program.
set(CPACK_MODULE_PATH ${Z2O_WINDOWS_DIST})
set(CPACK_PROJECT_CONFIG_FILE ${Z2O_WINDOWS_DIST}/cpack-options.cmake)
set(CPACK_NSIS_DISPLAY_NAME "${PROJECT_DESCRIPTION}")
set(CPACK_NSIS_PACKAGE_NAME "${PROJECT_DESCRIPTION}")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_MUI_ICON ${Z2O_WINDOWS_DIST}/icons/z2o.ico)
set(CPACK_NSIS_MUI_UNIICON ${Z2O_WINDOWS_DIST}/icons/z2o.ico)
set(CPACK_RESOURCE_FILE_LICENSE ${z2o_license_page})
include(CPack)
