# What `cmake --install` puts where, as a Linux program is laid out: the
# binary, its manual page, its desktop entry, its icons in the hicolor sizes
# (named after the application id, as the desktop entry and the AppStream
# metadata name them), its AppStream metadata, its copyright notes and the
# README and release notes a player reads.
# GNUInstallDirs: a distribution chooses the folders, for instance
# -DCMAKE_INSTALL_BINDIR=games for Debian's games.
include(GNUInstallDirs)

set(VELMORA_APP_ID org.velmora.Velmora)
set(dist_linux ${CMAKE_CURRENT_LIST_DIR})
set(dist_out ${PROJECT_BINARY_DIR}/dist)

# The release's version and date come from the project; its description is
# NEWS.md's newest entry, written into the metadata by hand (a test holds the
# two together).
set(VELMORA_RELEASE_DATE 2026-12-07)
# The same day as Debian's changelog writes it.
set(VELMORA_RELEASE_TIME "Mon, 07 Dec 2026 12:00:00 +0000")
# Debian's changelog (and its packages' Maintainer field) need an e-mail
# address. The project has none yet: the default is in the reserved .invalid
# domain, which can never reach anyone; a distributor sets their own.
set(VELMORA_PACKAGE_MAINTAINER "The Velmora developers <velmora@packages.invalid>" CACHE STRING
    "Maintainer of the Debian package: name <e-mail>")
# Software centres take screenshots only from web addresses. The frames are in
# dist/screenshots/; the metadata lists them once the project has somewhere
# on the web that serves that folder, and never an address made up.
set(VELMORA_SCREENSHOT_URL "" CACHE STRING
    "Web address serving dist/screenshots/ (title.png, play.png) for the AppStream metadata")
if(VELMORA_SCREENSHOT_URL)
    set(VELMORA_SCREENSHOTS "  <screenshots>
    <screenshot type=\"default\">
      <caption>The title screen</caption>
      <image type=\"source\" width=\"640\" height=\"480\">${VELMORA_SCREENSHOT_URL}/title.png</image>
    </screenshot>
    <screenshot>
      <caption>Playing: the ball over the stars</caption>
      <image type=\"source\" width=\"640\" height=\"480\">${VELMORA_SCREENSHOT_URL}/play.png</image>
    </screenshot>
  </screenshots>")
else()
    set(VELMORA_SCREENSHOTS "  <!-- Screenshots: -DVELMORA_SCREENSHOT_URL=the web address of dist/screenshots/ -->")
endif()
configure_file(${dist_linux}/${VELMORA_APP_ID}.metainfo.xml.in
               ${dist_out}/${VELMORA_APP_ID}.metainfo.xml @ONLY)
configure_file(${dist_linux}/velmora.6.in ${dist_out}/velmora.6 @ONLY)
configure_file(${dist_linux}/changelog.in ${dist_out}/changelog @ONLY)

# Manual pages are installed compressed; -n keeps the bytes the same on
# every build.
find_program(VELMORA_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${dist_out}/velmora.6.gz
    COMMAND ${VELMORA_GZIP} -9nc ${dist_out}/velmora.6 > ${dist_out}/velmora.6.gz
    DEPENDS ${dist_out}/velmora.6
    COMMENT "Compressing the manual page")
add_custom_command(OUTPUT ${dist_out}/changelog.gz
    COMMAND ${VELMORA_GZIP} -9nc ${dist_out}/changelog > ${dist_out}/changelog.gz
    DEPENDS ${dist_out}/changelog
    COMMENT "Compressing the changelog")
add_custom_command(OUTPUT ${dist_out}/NEWS.md.gz
    COMMAND ${VELMORA_GZIP} -9nc ${PROJECT_SOURCE_DIR}/NEWS.md > ${dist_out}/NEWS.md.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/NEWS.md
    COMMENT "Compressing the release notes")
add_custom_command(OUTPUT ${dist_out}/README.md.gz
    COMMAND ${VELMORA_GZIP} -9nc ${PROJECT_SOURCE_DIR}/README.md > ${dist_out}/README.md.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/README.md
    COMMENT "Compressing the README")
add_custom_target(velmora_dist_files ALL
    DEPENDS ${dist_out}/velmora.6.gz ${dist_out}/changelog.gz ${dist_out}/NEWS.md.gz
            ${dist_out}/README.md.gz)

install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (`cmake --install --strip`, CPack's packages) also drops
# the compilers' notes, as Debian's own packages do.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:velmora>\"
        COMMAND_ERROR_IS_FATAL ANY)
endif()")
install(FILES ${dist_out}/velmora.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${dist_linux}/${VELMORA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${dist_out}/${VELMORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/velmora-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${VELMORA_APP_ID}.png)
endforeach()
install(FILES ${dist_linux}/copyright ${dist_out}/changelog.gz ${dist_out}/NEWS.md.gz
              ${dist_out}/README.md.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
