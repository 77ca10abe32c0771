# What `cmake --install` puts under the prefix, and the Debian packages that
# CPack makes of the same files (`cpack -G DEB` in the build folder): vantora
# with the stripped programs, and vantora-dbgsym with their debug information.
#
#   bin/vantora, bin/vantora-frame
#   share/vantora/pics/                       the demo pictures, the installed
#                                             program's default picture folder
#   share/applications/vantora.desktop        the settings windows (vantora /C)
#   share/applications/screensavers/vantora.desktop   MATE's screensaver
#   share/xscreensaver/config/vantora.xml     XScreenSaver's settings page
#   share/icons/hicolor/NxN/apps/vantora.png, share/icons/hicolor/scalable/apps/vantora.svg
#   share/metainfo/<id>.metainfo.xml          the software centres' entry
#   share/man/man6/vantora.6.gz, share/man/man1/vantora-frame.1.gz
#   share/doc/vantora/copyright, share/doc/vantora/changelog.gz
#   libexec/xscreensaver/vantora              a link to bin/vantora, for MATE
#   lib/systemd/user/vantora-daemon.service   the daemon, for systemd sessions
#
# The folders are fixed: the program finds its pictures at
# ../share/vantora/pics from its own folder. Settings are per user
# (~/.config/vantora/scr.ini); nothing is installed for them.

set(VANTORA_MAINTAINER "Vantora developers <developers@vantora.org>"
    CACHE STRING "The packages' maintainer, as \"Name <address>\"")
set(VANTORA_HOMEPAGE "https://vantora.org/" CACHE STRING "The project's home page")
set(VANTORA_APPSTREAM_ID org.vantora.Vantora)
# The software centres fetch the screenshot from the web; the build draws it
# (build/packaging/vantora-screenshot.png) to be published there.
set(VANTORA_SCREENSHOT_URL "${VANTORA_HOMEPAGE}screenshots/${PROJECT_VERSION}/transition.png")

# The date of the newest entry of packaging/changelog.in. It is also the
# time of every file in the packages, unless SOURCE_DATE_EPOCH says another,
# so that two builds of one commit give the same packages.
set(VANTORA_RELEASE_DATE "Thu, 10 Dec 2026 12:00:00 +0000")
execute_process(COMMAND date -u -d "${VANTORA_RELEASE_DATE}" +%s
                OUTPUT_VARIABLE VANTORA_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND date -u -d "${VANTORA_RELEASE_DATE}" +%F
                OUTPUT_VARIABLE VANTORA_RELEASE_DAY OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

# The texts that carry the version, the maintainer or the home page, and the
# compressed forms Debian installs (gzip -n: no name or time in the file).
set(packaging ${PROJECT_BINARY_DIR}/packaging)
configure_file(packaging/copyright.in ${packaging}/copyright @ONLY)
file(CONFIGURE OUTPUT ${packaging}/CPackProject.cmake CONTENT [[
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} @VANTORA_RELEASE_EPOCH@)
endif()
]] @ONLY)
configure_file(packaging/changelog.in ${packaging}/changelog @ONLY)
configure_file(packaging/vantora.6.in ${packaging}/vantora.6 @ONLY)
configure_file(packaging/vantora-frame.1.in ${packaging}/vantora-frame.1 @ONLY)
configure_file(packaging/vantora.metainfo.xml.in
               ${packaging}/${VANTORA_APPSTREAM_ID}.metainfo.xml @ONLY)
find_program(GZIP_PROGRAM gzip REQUIRED)
foreach(text changelog vantora.6 vantora-frame.1)
  execute_process(COMMAND ${GZIP_PROGRAM} -9 -n -c ${packaging}/${text}
                  OUTPUT_FILE ${packaging}/${text}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# Everything belongs to the package vantora unless it says otherwise.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME vantora)

# The programs are installed stripped; their debug information goes to
# lib/debug/.build-id/, for the package vantora-dbgsym.
set(split_outputs)
foreach(program vantora vantora-frame)
  set(stripped ${PROJECT_BINARY_DIR}/stripped/${program})
  set(debug_root ${PROJECT_BINARY_DIR}/debug/${program})
  add_custom_command(
    OUTPUT ${stripped}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DSTRIPPED=${stripped}
            -DDEBUG_ROOT=${debug_root} -P ${PROJECT_SOURCE_DIR}/cmake/SplitDebug.cmake
    DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/SplitDebug.cmake
    COMMENT "Splitting the debug information off ${program}"
    VERBATIM)
  list(APPEND split_outputs ${stripped})
  install(PROGRAMS ${stripped} DESTINATION bin)
  install(DIRECTORY ${debug_root}/ DESTINATION lib/debug COMPONENT dbgsym EXCLUDE_FROM_ALL)
endforeach()
add_custom_target(split-debug ALL DEPENDS ${split_outputs})
# The debug package carries the same licence and history.
install(FILES ${packaging}/copyright ${packaging}/changelog.gz DESTINATION share/doc/vantora-dbgsym
        COMPONENT dbgsym EXCLUDE_FROM_ALL)
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
install(FILES packaging/vantora.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${packaging}/${VANTORA_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${packaging}/vantora.6.gz DESTINATION share/man/man6)
install(FILES ${packaging}/vantora-frame.1.gz DESTINATION share/man/man1)
install(FILES ${packaging}/copyright ${packaging}/changelog.gz DESTINATION share/doc/vantora)

set(CPACK_PACKAGE_NAME vantora)
set(CPACK_PACKAGE_VENDOR "Vantora")
set(CPACK_PACKAGE_CONTACT "${VANTORA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VANTORA_HOMEPAGE}")
# Debian's style: a synopsis without the package's name or a full stop, then
# paragraphs separated by an empty line.
set(CPACK_DEBIAN_VANTORA_DESCRIPTION "photo slideshow screen saver with 150 transitions
Vantora shows the photos of a folder, and if asked of its subfolders
(JPEG, PNG, WebP, HEIC, AVIF), one after another, full screen on every
monitor, each change of picture animated by one of 150 built-in transition
effects: wipes, slides, unrolls, bars, shreds, curved and circular reveals,
fades, pivots, pushes, blinds and rotating shapes. An optional music
playlist plays in the background; a key press or sustained mouse movement
ends the show.

It runs under XScreenSaver or MATE's screensaver, or full screen on its
own. Its settings windows are in Simplified Chinese.")
set(CPACK_GENERATOR DEB)
set(CPACK_PROJECT_CONFIG_FILE ${packaging}/CPackProject.cmake)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Two packages: vantora, and vantora-dbgsym with the programs' debug
# information under usr/lib/debug/.build-id/, where debuggers look it up by
# the programs' build ids.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL vantora dbgsym)
set(CPACK_DEBIAN_VANTORA_PACKAGE_NAME vantora)
set(CPACK_DEBIAN_DBGSYM_PACKAGE_NAME vantora-dbgsym)
set(CPACK_DEBIAN_DBGSYM_PACKAGE_SECTION debug)
set(CPACK_DEBIAN_DBGSYM_PACKAGE_DEPENDS "vantora (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DBGSYM_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_DBGSYM_DESCRIPTION "debug symbols for vantora
The debug information of the programs vantora and vantora-frame, which
debuggers find by the programs' build ids.")
# The libraries the programs link come from dpkg-shlibdeps. What they load
# at run time comes here: the Ming font the windows name, the GStreamer
# plugins that play wav and mp3 files through Qt Multimedia, and Qt's
# Wayland platform, without which a Wayland session would get the show
# through XWayland or not at all.
set(CPACK_DEBIAN_VANTORA_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_VANTORA_PACKAGE_DEPENDS
    "fonts-arphic-uming, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, qt6-wayland")
set(CPACK_DEBIAN_VANTORA_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_VANTORA_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver")
include(CPack)

# The software centres' screenshot: the show in the middle of a curved
# reveal between two demo pictures, composed as the show composes it.
set(VANTORA_SCREENSHOT ${packaging}/vantora-screenshot.png)
list(GET VANTORA_DEMO_PICTURES 0 screenshot_old)
list(GET VANTORA_DEMO_PICTURES 1 screenshot_new)
add_custom_command(
  OUTPUT ${VANTORA_SCREENSHOT}
  COMMAND vantora-frame --style 58 --progress 45 --old ${screenshot_old} --new ${screenshot_new}
          --size 1280x720 --out ${VANTORA_SCREENSHOT}
  DEPENDS vantora-frame ${screenshot_old} ${screenshot_new}
  COMMENT "Composing the software centres' screenshot"
  VERBATIM)
add_custom_target(screenshot ALL DEPENDS ${VANTORA_SCREENSHOT})
add_dependencies(screenshot demo-pictures)
