# What Windows players get, made on the build machine: a .zip of the program
# with a short README.txt and the licence, and an installer built with NSIS's
# makensis (`cmake --build --preset windows --target velmora_windows_packages`;
# scripts/package.sh does it). Both are named after the project's version.
set(win_dist ${PROJECT_BINARY_DIR}/dist)
# The zip unpacks into one folder, velmora-VERSION/, never loose files among
# the player's own.
set(folder velmora-${PROJECT_VERSION})
set(stage_root ${win_dist}/velmora-${PROJECT_VERSION}-windows)
set(stage ${stage_root}/${folder})
set(zip ${win_dist}/velmora-${PROJECT_VERSION}-windows.zip)
set(installer ${win_dist}/velmora-${PROJECT_VERSION}-setup.exe)

# Windows' Notepad wants CRLF line ends. The title's underline is as long as
# the title.
string(LENGTH "Velmora ${PROJECT_VERSION}" title_length)
string(REPEAT "=" ${title_length} VELMORA_TITLE_UNDERLINE)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${stage}/LICENSE @ONLY NEWLINE_STYLE CRLF)

find_program(VELMORA_MAKENSIS makensis)
set(windows_packages ${zip})
# velmora.exe, what a player starts, is the build on the platform's own
# DirectDraw (a window or a borderless full screen, any monitor);
# velmora-exclusive.exe is the same game on the system's DirectDraw, which
# switches the monitor to 640 x 480 at 8 bits.
add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_STRIP} -o ${stage}/velmora.exe $<TARGET_FILE:velmora_desktop>
    COMMAND ${CMAKE_STRIP} -o ${stage}/velmora-exclusive.exe $<TARGET_FILE:velmora>
    COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
    COMMAND ${CMAKE_COMMAND} -E chdir ${stage_root} ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip
            ${folder}/velmora.exe ${folder}/velmora-exclusive.exe ${folder}/README.txt
            ${folder}/LICENSE
    DEPENDS velmora velmora_desktop ${stage}/README.txt ${stage}/LICENSE
    COMMENT "Packing ${zip}"
    VERBATIM)
if(VELMORA_MAKENSIS)
    add_custom_command(OUTPUT ${installer}
        COMMAND ${VELMORA_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage}
                -DOUTFILE=${installer} ${CMAKE_CURRENT_LIST_DIR}/velmora.nsi
        DEPENDS ${zip} ${CMAKE_CURRENT_LIST_DIR}/velmora.nsi
        COMMENT "Building the installer ${installer}"
        VERBATIM)
    list(APPEND windows_packages ${installer})
else()
    message(STATUS "makensis not found (Debian package nsis): no Windows installer")
endif()
add_custom_target(velmora_windows_packages DEPENDS ${windows_packages})
