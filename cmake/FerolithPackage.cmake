# Install rules and the Debian package (CPack DEB): the two programs, the
# desktop entry with its icons and AppStream data, German manual pages, bash
# completion, the sample library and burn files, and the Debian
# documentation files. scripts/package.sh builds the package.

# Who the project is and its licence; every file that names them takes them
# from here. The project has no web home, so no file names a web address.
set(FEROLITH_APP_ID "org.ferolith.Ferolith")
set(FEROLITH_DEVELOPER "Ferolith-Projekt")
set(FEROLITH_CONTACT "Ferolith-Projekt <entwickler@ferolith.org>")
set(FEROLITH_LICENSE "GPL-3.0-or-later")
# The release of this version, for the AppStream data and the changelog.
set(FEROLITH_RELEASE_DATE "2026-12-07")
set(FEROLITH_RELEASE_DATE_RFC2822 "Mon, 07 Dec 2026 12:00:00 +0000")

# "install" (and so cpack) takes what is built and builds nothing itself:
# scripts/package.sh builds the programs and these files first, without the
# tests and benchmarks.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
# Folders made by the install get 0755 whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(package_sources ${FEROLITH_ROOT}/resources)
set(package_build ${CMAKE_BINARY_DIR}/package)

# Generated files: the metainfo and changelog with the values above, the
# manual pages and the changelog compressed as Debian wants them (gzip -9n:
# no name or time stamp, so that the package is reproducible).
configure_file(${package_sources}/ferolith.metainfo.xml.in
  ${package_build}/${FEROLITH_APP_ID}.metainfo.xml @ONLY)
configure_file(${package_sources}/debian/changelog.in ${package_build}/changelog @ONLY)
configure_file(${package_sources}/debian/copyright.in ${package_build}/copyright @ONLY)

set(compressed)
foreach(source ${FEROLITH_ROOT}/docs/man/ferolith.1 ${FEROLITH_ROOT}/docs/man/ferolith-cli.1
               ${package_build}/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${package_build}/${name}.gz
    COMMAND gzip -9nc ${source} > ${package_build}/${name}.gz
    DEPENDS ${source}
    COMMENT "Compressing ${name}")
  list(APPEND compressed ${package_build}/${name}.gz)
endforeach()
add_custom_target(ferolith_package_files ALL DEPENDS ${compressed})

# Programs.
set(programs ferolith-cli)
if(TARGET ferolith)
  list(APPEND programs ferolith)
endif()
install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Desktop entry, icons (SVG and PNG sizes in the hicolor theme), AppStream.
install(FILES ${package_sources}/ferolith.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${FEROLITH_APP_ID}.desktop)
install(FILES ${package_sources}/pictures/app-icon.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ferolith.svg)
# The PNGs are made from app-icon.svg: rsvg-convert -w N -h N app-icon.svg -o ferolith-N.png
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${package_sources}/icons/ferolith-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ferolith.png)
endforeach()
install(FILES ${package_build}/${FEROLITH_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The project files' type, which the desktop entry opens.
install(FILES ${package_sources}/ferolith-mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ferolith.xml)

# Manual pages (German), bash completion.
install(FILES ${package_build}/ferolith.1.gz ${package_build}/ferolith-cli.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${package_sources}/bash-completion/ferolith-cli
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Sample library and burn files: the menu start copies ACELIST.CSV from here.
install(FILES ${package_sources}/ACELIST.CSV DESTINATION ${CMAKE_INSTALL_DATADIR}/ferolith)
install(FILES ${package_sources}/samples/blink.hex ${package_sources}/samples/blink.rex
  DESTINATION ${CMAKE_INSTALL_DATADIR}/ferolith/samples)

# The protocol decoders for sigrok (sigrok-cli, PulseView): SIGROKDECODE_DIR
# names this folder, or the user copies the two into their decoder folder.
install(DIRECTORY ${FEROLITH_ROOT}/decoders/kalvenor ${FEROLITH_ROOT}/decoders/kalvenor_ace
  DESTINATION ${CMAKE_INSTALL_DATADIR}/ferolith/decoders
  FILES_MATCHING PATTERN "*.py"
  PATTERN "__pycache__" EXCLUDE)

# Debian's documentation files.
install(FILES ${package_build}/copyright ${package_build}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ferolith)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ferolith)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${FEROLITH_CONTACT})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Libraries come from the binaries (dpkg-shlibdeps); Qt's platform plugins
# are loaded at run time, so no library names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# German texts of Qt's own buttons and dialogs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "ACE-Mikrocontroller mit dem Kalvenor-Programmiergerät brennen
Ferolith brennt, prüft und liest Mikrocontroller der ACE-Familie (ACE11 und
ACE12 im Gehäuse DIP8 oder DIP14) mit dem Kalvenor-Programmiergerät an der
parallelen Schnittstelle: als Desktop-Programm (ferolith) und auf der
Kommandozeile (ferolith-cli). Ein eingebauter Simulator ersetzt das
Programmiergerät für Versuche ohne Hardware.")
include(CPack)
