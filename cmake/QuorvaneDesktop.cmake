# Installing the program as a desktop program (cmake --install) and its
# Debian package (cpack -G DEB, see scripts/package.sh).
include(GNUInstallDirs)

# The day project(VERSION) last changed, in the two forms the metadata wants.
set(QUORVANE_RELEASE_DATE "2026-12-07")
set(QUORVANE_RELEASE_DATE_RFC2822 "Mon, 07 Dec 2026 00:00:00 +0000")
set(QUORVANE_MAINTAINER "Quorvane developers <${QUORVANE_MAIL_ADDRESS}>" CACHE STRING "Package maintainer")
set(QUORVANE_DEB_VERSION "${PROJECT_VERSION}-1")

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${CMAKE_BINARY_DIR}/packaging)
configure_file(${packaging}/linux/quorvane.desktop.in ${generated}/${QUORVANE_APP_ID}.desktop @ONLY)
configure_file(${packaging}/linux/quorvane.metainfo.xml.in ${generated}/${QUORVANE_APP_ID}.metainfo.xml @ONLY)
configure_file(${packaging}/debian/quorvane.1.in ${generated}/quorvane.1 @ONLY)
configure_file(${packaging}/debian/copyright.in ${generated}/copyright @ONLY)
configure_file(${packaging}/debian/changelog.in ${generated}/changelog.Debian @ONLY)

install(TARGETS quorvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The sound and network modules, loaded after start-up from lib/quorvane/modules beside the program's bin
# directory; one level below lib/quorvane, so that the package runs no ldconfig for them.
install(TARGETS quorvane_audio quorvane_network LIBRARY DESTINATION lib/quorvane/modules)
install(FILES ${generated}/${QUORVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${generated}/${QUORVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The user unit that keeps the dedicated server running headless (quorvane --run-server).
install(FILES ${packaging}/systemd/quorvane-server.service DESTINATION lib/systemd/user)
foreach(size 48 128 256)
  install(FILES ${packaging}/icons/quorvane-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${QUORVANE_APP_ID}.png)
endforeach()
install(FILES ${packaging}/icons/quorvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${QUORVANE_APP_ID}.svg)

# Debian wants the manual page and changelog compressed, reproducibly (no name, no time stamp).
find_program(QUORVANE_GZIP gzip)
if(QUORVANE_GZIP)
  set(compressed ${generated}/quorvane.1.gz ${generated}/changelog.Debian.gz)
  add_custom_command(OUTPUT ${compressed}
                     COMMAND ${QUORVANE_GZIP} -9nkf ${generated}/quorvane.1 ${generated}/changelog.Debian
                     DEPENDS ${generated}/quorvane.1 ${generated}/changelog.Debian VERBATIM)
  add_custom_target(quorvane_package_docs ALL DEPENDS ${compressed})
  install(FILES ${generated}/quorvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${generated}/changelog.Debian.gz ${generated}/copyright
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvane)
endif()
# Every warning the package draws is either fixed or overridden there with its reason.
install(FILES ${packaging}/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME quorvane)

set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${QUORVANE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure and run a Team Fortress Classic server from a form")
# CPack puts the summary above this as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quorvane gives the text configuration of a Half-Life Team Fortress Classic
server a form: every setting of server.cfg, listenserver.cfg and autoexec.cfg
is a text box or check box on a tabbed window, and the files are written back
byte for byte, the previous version kept as a backup.
.
From the same window it edits the map cycle and the message of the day, lists
the maps, and starts and stops the dedicated server, a listen server and the
game.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUORVANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://${QUORVANE_WEB_HOST}/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The comic font the windows are drawn in, and the sound cues' wave decoder.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-comic-neue, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
