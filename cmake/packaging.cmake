# Installation and the Debian package: both programs, the manual page, a
# desktop entry and an icon in the usual places. `cpack -G DEB` in a build
# tree makes the .deb (scripts/package.sh).
include(GNUInstallDirs)

install(TARGETS qfwupdate qfwupdate-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages are installed compressed.
find_program(QFW_GZIP gzip REQUIRED)
set(QFW_MAN_PAGE ${CMAKE_BINARY_DIR}/man/qfwupdate-cli.1.gz)
add_custom_command(
  OUTPUT ${QFW_MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND ${QFW_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/docs/qfwupdate-cli.1 > ${QFW_MAN_PAGE}
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/qfwupdate-cli.1
  COMMENT "Compressing the manual page"
)
add_custom_target(qfw_man_page ALL DEPENDS ${QFW_MAN_PAGE})
install(FILES ${QFW_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/qfwupdate.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/qfwupdate.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qfwupdate)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "qfwupdate")
# Whoever builds the package for a distribution names themselves here.
set(QFW_PACKAGE_CONTACT "qfwupdate maintainers <qfwupdate@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${QFW_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware update utility for Quorell USB-to-SATA bridges")
# The summary above is the description's first line; CPack indents these.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Finds the Quorell bridge controllers attached through USB, identifies them\n"
    "with their vendor SCSI commands and rewrites the serial flash of QRS642 and\n"
    "QRS641 controllers, keeping the device's configuration and verifying every\n"
    "byte. qfwupdate is a small Qt window; qfwupdate-cli does the same from a\n"
    "terminal, with backups of the former flash and a restore command.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
