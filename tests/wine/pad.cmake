# The Wine suite's pad: a stand-in for the system's XInput that reads its pads
# from a file the test writes, and the pad module checked on it.
set(pad_dir ${CMAKE_CURRENT_LIST_DIR})
add_library(fake_xinput SHARED ${pad_dir}/fake_xinput.cpp ${pad_dir}/fake_xinput.def)
# Named as the system's, in a folder of its own: the suite puts it in place of
# the prefix's.
set_target_properties(fake_xinput PROPERTIES PREFIX "" OUTPUT_NAME xinput1_4
                      RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/fake_xinput)
target_link_libraries(fake_xinput PRIVATE velmora_warnings)
target_link_options(fake_xinput PRIVATE -static -static-libgcc)

add_executable(pad_poll ${pad_dir}/pad_poll.cpp ${PROJECT_SOURCE_DIR}/platform/windows/xinput_pad.cpp)
target_include_directories(pad_poll PRIVATE ${PROJECT_SOURCE_DIR}/platform/windows)
target_link_libraries(pad_poll PRIVATE velmora_player_windows velmora_warnings)
target_link_options(pad_poll PRIVATE -static -static-libgcc -static-libstdc++)
