# Install rules and the Debian package (scripts/package.sh builds it).
#
#   /usr/bin/poiguard, /usr/bin/poiguard-report, /usr/bin/poiguard-import-pois
#   /usr/share/poiguard/sounds/{ding,Achtung}.wav   made by soundgen at build time
#   /usr/share/poiguard/poiguard.style               gpsbabel style of the POI format
#   /usr/libexec/poiguard/update                     the weekly download, as its service runs it
#   /etc/poiguard/config.txt                         commented sample, a conffile
#   /etc/poiguard/update.conf                        the area of the weekly download, a conffile
#   /usr/share/poiguard/gefahr.csv.empty             the empty list the package's postinst puts at
#                                                    /etc/poiguard/vodudo/gefahr.csv (POIGUARD_BUILTIN_POI)
#                                                    once: data, never a conffile
#   /lib/systemd/system/poiguard.service, poiguard-update.{service,timer}
#   /lib/sysusers.d/poiguard.conf, /lib/tmpfiles.d/poiguard.conf   the service's user and log folder
#   /usr/share/doc/poiguard/                         README, copyright, changelog, udev rule, gpsd drop-in
include(GNUInstallDirs)

# The sounds, synthesised by our own soundgen (through the emulator when cross-compiling).
set(SOUNDS_DIR ${CMAKE_BINARY_DIR}/sounds)
add_custom_command(OUTPUT ${SOUNDS_DIR}/ding.wav ${SOUNDS_DIR}/Achtung.wav
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${SOUNDS_DIR}
                   COMMAND soundgen ${SOUNDS_DIR}
                   DEPENDS soundgen)
add_custom_target(sounds ALL DEPENDS ${SOUNDS_DIR}/ding.wav)

set(DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/poiguard)
set(CHANGELOG_GZ ${CMAKE_BINARY_DIR}/changelog.gz)
set(MAN_PAGES)
foreach(page poiguard poiguard-import-pois poiguard-report)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${page}.1.gz
                     COMMAND gzip -n -9 -c ${CMAKE_SOURCE_DIR}/packaging/${page}.1 > ${CMAKE_BINARY_DIR}/${page}.1.gz
                     DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${page}.1)
  list(APPEND MAN_PAGES ${CMAKE_BINARY_DIR}/${page}.1.gz)
endforeach()
add_custom_command(OUTPUT ${CHANGELOG_GZ}
                   COMMAND gzip -n -9 -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${CHANGELOG_GZ}
                   DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog)
add_custom_target(changelog ALL DEPENDS ${CHANGELOG_GZ} ${MAN_PAGES})

install(TARGETS poiguard poiguard-report poiguard-import-pois RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(LIBEXEC_DIR ${CMAKE_INSTALL_LIBEXECDIR}/poiguard)
install(PROGRAMS packaging/poiguard-update DESTINATION ${LIBEXEC_DIR} RENAME update)
install(FILES ${SOUNDS_DIR}/ding.wav ${SOUNDS_DIR}/Achtung.wav DESTINATION ${CMAKE_INSTALL_DATADIR}/poiguard/sounds)
install(FILES import/poiguard.style DESTINATION ${CMAKE_INSTALL_DATADIR}/poiguard)
install(FILES packaging/config.txt DESTINATION ${POIGUARD_SYSCONFDIR})
# The built-in list is the user's data once there: an install never writes
# over it. The package makes it in postinst from the empty one.
install(FILES packaging/vodudo/gefahr.csv DESTINATION ${CMAKE_INSTALL_DATADIR}/poiguard RENAME gefahr.csv.empty)
get_filename_component(BUILTIN_POI_DIR ${POIGUARD_BUILTIN_POI} DIRECTORY)
if(NOT POIGUARD_BUILTIN_POI MATCHES "^/etc/")
  install(CODE "if(NOT EXISTS \"\$ENV{DESTDIR}${POIGUARD_BUILTIN_POI}\")
    file(INSTALL ${CMAKE_SOURCE_DIR}/packaging/vodudo/gefahr.csv DESTINATION \"\$ENV{DESTDIR}${BUILTIN_POI_DIR}\")
  endif()")
endif()
install(FILES packaging/poiguard.service packaging/poiguard-update.service packaging/poiguard-update.timer
        DESTINATION lib/systemd/system)
install(FILES packaging/poiguard.sysusers DESTINATION lib/sysusers.d RENAME poiguard.conf)
install(FILES packaging/poiguard.tmpfiles DESTINATION lib/tmpfiles.d RENAME poiguard.conf)
install(FILES packaging/update.conf DESTINATION ${POIGUARD_SYSCONFDIR})
install(FILES README.md packaging/copyright ${CHANGELOG_GZ} DESTINATION ${DOC_DIR})
install(FILES packaging/99-poiguard-gps.rules packaging/gpsd.conf DESTINATION ${DOC_DIR}/examples)
install(FILES ${MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME poiguard)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "poiguard developers <poiguard@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "warns with sounds when a GPS position nears a point of interest")
set(CPACK_PACKAGE_DESCRIPTION "poiguard reads the NMEA 0183 stream of a GPS receiver, through gpsd or
on a serial port, keeps a list of points of interest (speed cameras, for
instance) ordered by distance, and plays one of three sound patterns as a
point comes within 300 m, 150 m and 50 m (configurable), only for cameras
that check the car's direction. It runs as a systemd service on a laptop
or a small board in a car; receivers of any talker and hemisphere, line
speeds found by itself, and POI lists from GPX, KML, OV2 and OpenStreetMap
files and camera databases (poiguard-import-pois, with gpsbabel), or a
country's cameras from OpenStreetMap's Overpass API, kept current weekly.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "systemd, espeak-ng-data")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gpsbabel, gpsd")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${CMAKE_SOURCE_DIR}/packaging/conffiles;${CMAKE_SOURCE_DIR}/packaging/postinst;${CMAKE_SOURCE_DIR}/packaging/prerm;${CMAKE_SOURCE_DIR}/packaging/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
