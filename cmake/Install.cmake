# What `cmake --install` puts under the prefix, and the Debian package that
# CPack makes of the same files (`cpack -G DEB` in the build folder).
#
#   bin/vantora, bin/vantora-frame
#   share/vantora/pics/                       the demo pictures, the installed
#                                             program's default picture folder
#   share/applications/vantora.desktop        the settings windows (vantora /C)
#   share/applications/screensavers/vantora.desktop   MATE's screensaver
#   share/xscreensaver/config/vantora.xml     XScreenSaver's settings dialog
#   share/icons/hicolor/NxN/apps/vantora.png
#   libexec/xscreensaver/vantora              a link to bin/vantora, for MATE
#   lib/systemd/user/vantora-daemon.service   the daemon, for systemd sessions
#
# The folders are fixed: the program finds its pictures at
# ../share/vantora/pics from its own folder. Settings are per user
# (~/.config/vantora/scr.ini); nothing is installed for them.

install(TARGETS vantora vantora-frame RUNTIME DESTINATION bin)
install(FILES ${VANTORA_DEMO_PICTURES} DESTINATION share/vantora/pics)
install(FILES packaging/vantora.desktop DESTINATION share/applications)
install(FILES packaging/vantora-screensaver.desktop
        DESTINATION share/applications/screensavers RENAME vantora.desktop)
install(FILES packaging/vantora.xml DESTINATION share/xscreensaver/config)
# MATE's screensaver runs only programs that lie in its own folders or in
# XScreenSaver's: a link there lets it run the program of bin/.
set(mate_link ${CMAKE_BINARY_DIR}/screensaver-link/vantora)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/screensaver-link)
file(CREATE_LINK ../../bin/vantora ${mate_link} SYMBOLIC)
install(FILES ${mate_link} DESTINATION libexec/xscreensaver)
install(FILES packaging/vantora-daemon.service DESTINATION lib/systemd/user)
foreach(size IN LISTS VANTORA_ICON_SIZES)
  install(FILES ${VANTORA_ICON_DIR}/${size}x${size}/vantora.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

set(CPACK_PACKAGE_NAME vantora)
set(CPACK_PACKAGE_VENDOR "Vantora")
set(CPACK_PACKAGE_CONTACT "Vantora developers <vantora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photo slideshow screen saver with 150 transitions")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantora shows the JPEG pictures of one folder one after another, each change
animated by one of 150 built-in transition effects, with an optional music
playlist. It runs under XScreenSaver or MATE's screensaver, or full screen
on its own; its settings windows are in Simplified Chinese.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The libraries the programs link come from dpkg-shlibdeps. What they load
# at run time comes here: the Ming font the windows name, the GStreamer
# plugins that play wav and mp3 files through Qt Multimedia.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-arphic-uming, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver")
include(CPack)
