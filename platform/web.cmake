# The browser build: the services with the web back end alone, no SDL, no
# libpng (nothing here captures frames to files). The page and its script are
# copied next to velmora.js and velmora.wasm.
# The game indexes its key table with letters ('S'), as Windows code does with
# virtual-key codes: a constant, never a negative index.
target_compile_options(velmora_warnings INTERFACE -Wno-char-subscripts)

set(web_dir ${CMAKE_CURRENT_SOURCE_DIR}/src/backend/web)
# The native dispatcher and PNG writer name SDL, headless and libpng.
list(REMOVE_ITEM VELMORA_PLATFORM_SERVICES
     ${CMAKE_CURRENT_SOURCE_DIR}/src/backend/dispatch.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/src/backend/png.cpp)
file(GLOB VELMORA_PLATFORM_BACKENDS CONFIGURE_DEPENDS ${web_dir}/*.cpp)
add_library(velmora_platform STATIC ${VELMORA_PLATFORM_SERVICES} ${VELMORA_PLATFORM_BACKENDS})
target_include_directories(velmora_platform PUBLIC include PRIVATE src)
target_link_libraries(velmora_platform
    PUBLIC velmora_embedded_resources
    PRIVATE velmora_warnings)
# The game's loop polls and sleeps as on Windows; Asyncify lets Sleep hand the
# page back to the browser in the middle of it.
# As on Windows, nothing lives in the first 64 KiB of the address space: a
# pointer there is a resource or class number (IS_INTRESOURCE), so the data
# must start above it.
target_link_options(velmora_platform INTERFACE
    -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1
    -sEXIT_RUNTIME=0 -sGLOBAL_BASE=65536)

add_library(velmora_platform_main OBJECT start/web/main.cpp)
target_include_directories(velmora_platform_main PRIVATE src)
target_link_libraries(velmora_platform_main PRIVATE velmora_platform velmora_warnings)

set(page_files ${web_dir}/page/velmora.html ${web_dir}/page/velmora-page.js)
set(page_copies "")
foreach(file ${page_files})
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${name}
                       COMMAND ${CMAKE_COMMAND} -E copy ${file} ${CMAKE_BINARY_DIR}/${name}
                       DEPENDS ${file} VERBATIM)
    list(APPEND page_copies ${CMAKE_BINARY_DIR}/${name})
endforeach()
add_custom_target(velmora_page ALL DEPENDS ${page_copies})
