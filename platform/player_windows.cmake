# The Windows build's player library: the player's features as on Linux (the
# settings, the screenshots' folder, names and PNG),
# with what they ask of the system answered by Windows
# (system_files_windows.cpp) and the PNG encoded by the Windows imaging
# component.
# The game's own <windows.h> and <ddraw.h> are the real ones here: the
# platform's headers come after the system's, for velmora_platform.h alone.
set(player_dir ${CMAKE_CURRENT_LIST_DIR}/src/player)
add_library(velmora_player_windows STATIC
    ${player_dir}/settings.cpp ${player_dir}/options.cpp ${player_dir}/pad_keys.cpp
    ${player_dir}/screenshot.cpp
    ${player_dir}/indexed_png.cpp ${player_dir}/indexed_png_encode_windows.cpp
    ${player_dir}/system_files_windows.cpp ${CMAKE_CURRENT_LIST_DIR}/src/present/viewport.cpp)
target_include_directories(velmora_player_windows PUBLIC ${CMAKE_CURRENT_LIST_DIR}/src)
target_compile_options(velmora_player_windows PUBLIC
                       -idirafter ${CMAKE_CURRENT_LIST_DIR}/include)
target_compile_definitions(velmora_player_windows PRIVATE VELMORA_VERSION="${PROJECT_VERSION}")
target_link_libraries(velmora_player_windows PUBLIC shell32 ole32 windowscodecs PRIVATE velmora_warnings)

# The Wine suite's check of the settings and files on Windows' own calls.
add_executable(player_files ${PROJECT_SOURCE_DIR}/tests/wine/player_files.cpp)
target_link_libraries(player_files PRIVATE velmora_player_windows velmora_warnings)
target_link_options(player_files PRIVATE -static -static-libgcc -static-libstdc++)
