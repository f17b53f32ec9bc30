# The browser build: the services with the page as the one back end (no SDL,
# no libpng: nothing here writes frames to files). The page and its script
# are copied next to velmora.js and velmora.wasm.
set(web_dir ${CMAKE_CURRENT_SOURCE_DIR}/src/backend/web)
# The game's loop polls and sleeps as on Windows; Asyncify lets Sleep hand the
# worker it runs in (velmora-game.js) back to the browser in the middle of it.
# As on Windows, nothing lives in the first 64 KiB of the address space: a
# pointer there is a resource or class number (IS_INTRESOURCE), so the data
# must start above it.
target_link_options(velmora_platform INTERFACE
    -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sENVIRONMENT=web,worker -sALLOW_MEMORY_GROWTH=1
    -sEXIT_RUNTIME=0 -sGLOBAL_BASE=65536)

# The page records every session as the native player's --record does, into
# the worker's own memory file system, for its button to save.
target_sources(velmora_platform PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src/player/recording.cpp
                                        ${CMAKE_CURRENT_SOURCE_DIR}/src/player/system_files_posix.cpp
                                        ${CMAKE_CURRENT_SOURCE_DIR}/src/script/keys.cpp
                                        ${CMAKE_CURRENT_SOURCE_DIR}/src/script/parse.cpp
                                        ${CMAKE_CURRENT_SOURCE_DIR}/src/script/write.cpp)

add_library(velmora_platform_main OBJECT start/web/main.cpp)
target_link_libraries(velmora_platform_main PRIVATE velmora_platform velmora_platform_private
                                                    velmora_warnings)

set(page_files ${web_dir}/page/velmora.html ${web_dir}/page/velmora-page.js
               ${web_dir}/page/velmora-game.js ${web_dir}/page/velmora-sw.js
               ${web_dir}/page/velmora.webmanifest
               # The program's own icon, for the tab and an installed app.
               ${PROJECT_SOURCE_DIR}/resources/icons/velmora-256.png)
set(page_copies "")
foreach(file ${page_files})
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${name}
                       COMMAND ${CMAKE_COMMAND} -E copy ${file} ${CMAKE_BINARY_DIR}/${name}
                       DEPENDS ${file} VERBATIM)
    list(APPEND page_copies ${CMAKE_BINARY_DIR}/${name})
endforeach()
add_custom_target(velmora_page ALL DEPENDS ${page_copies})

# Static hosts that serve a file's `.gz` as it is (nginx's gzip_static and the
# like) send about a sixth of the bytes: each file the page loads gets one.
# -n leaves the time out, so the same build gives the same bytes.
set(page_gzips "")
foreach(file ${page_copies})
    add_custom_command(OUTPUT ${file}.gz COMMAND gzip -9 -n -k -f ${file} DEPENDS ${file} VERBATIM)
    list(APPEND page_gzips ${file}.gz)
endforeach()
# The game's executable is velmora.js; the .wasm is written by the same link.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/velmora.js.gz ${CMAKE_BINARY_DIR}/velmora.wasm.gz
                   COMMAND gzip -9 -n -k -f velmora.js velmora.wasm
                   WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DEPENDS velmora VERBATIM)
list(APPEND page_gzips ${CMAKE_BINARY_DIR}/velmora.js.gz ${CMAKE_BINARY_DIR}/velmora.wasm.gz)
add_custom_target(velmora_page_gzip ALL DEPENDS ${page_gzips})
