# What each desktop system reads from the window program itself. Included by src/app once the
# z2o target exists.

# Where the About box says Qt's source is: on Windows the Qt beside the program, built by
# scripts/qt-windows, whose record names it; elsewhere the system's own Qt.
set(z2o_qt_source "the Qt libraries of this system, from its own packages")
if(WIN32)
  # Windows: the program's icon, the document icons its file associations show, a manifest, and
  # the version that Explorer's Properties show, all from project().
  set(Z2O_WINDOWS_DIST ${PROJECT_SOURCE_DIR}/dist/windows)
  set(Z2O_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/z2o.exe.manifest)
  configure_file(${Z2O_WINDOWS_DIST}/z2o.exe.manifest.in ${Z2O_MANIFEST} @ONLY)
  configure_file(${Z2O_WINDOWS_DIST}/z2o.rc.in ${CMAKE_CURRENT_BINARY_DIR}/z2o.rc @ONLY)
  target_sources(z2o PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/z2o.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/z2o.rc PROPERTIES OBJECT_DEPENDS
    "${Z2O_WINDOWS_DIST}/icons/z2o.ico;${Z2O_WINDOWS_DIST}/icons/zs2.ico;${Z2O_WINDOWS_DIST}/icons/za2.ico;${Z2O_MANIFEST}")

  get_filename_component(qt_record "${Qt6_DIR}/../../../share/z2o/qt-build.txt" ABSOLUTE)
  if(EXISTS ${qt_record})
    file(STRINGS ${qt_record} source_line REGEX "^Source: ")
    string(REGEX MATCH "Debian's qt6-base [^ ]+" qt_source "${source_line}")
    set(z2o_qt_source "${qt_source}, as THIRD-PARTY-NOTICES.txt beside the program tells")
  endif()
endif()
target_compile_definitions(z2o_window PRIVATE Z2O_QT_SOURCE="${z2o_qt_source}")

if(APPLE)
  # macOS: a bundle whose Info.plist declares sessions and albums as documents it opens.
  set_target_properties(z2o PROPERTIES
    MACOSX_BUNDLE_INFO_PLIST ${PROJECT_SOURCE_DIR}/dist/macos/Info.plist.in
    MACOSX_BUNDLE_GUI_IDENTIFIER org.example.z2o
    MACOSX_BUNDLE_BUNDLE_NAME z2o
    MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION}
    MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION}
    MACOSX_BUNDLE_COPYRIGHT "Copyright (c) 2026 The z2o developers. MIT License.")
  # The icon, once made on a Mac (docs/macos.md); without it the Finder shows its default.
  set(icns ${PROJECT_SOURCE_DIR}/dist/macos/z2o.icns)
  if(EXISTS ${icns})
    target_sources(z2o PRIVATE ${icns})
    set_source_files_properties(${icns} PROPERTIES MACOSX_PACKAGE_LOCATION Resources)
    set_target_properties(z2o PROPERTIES MACOSX_BUNDLE_ICON_FILE z2o.icns)
  endif()
endif()
