# Runs the image generator into a fresh folder and compares its output with
# the committed images byte for byte.
#
# cmake -DPYTHON=<python with Pillow> -DSOURCE_DIR=<source tree> -DWORK_DIR=<scratch folder>
#       -P check_generated_images.cmake

# Neither folder exists beforehand: the generator makes what it writes into.
file(REMOVE_RECURSE ${WORK_DIR})
set(images ${WORK_DIR}/images)
set(sheet ${WORK_DIR}/sheet/contact-sheet.png)
execute_process(COMMAND ${PYTHON} ${SOURCE_DIR}/tools/gen_images.py --contact-sheet ${sheet} ${images}
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "gen_images.py failed")
endif()
if(NOT EXISTS ${sheet})
    message(FATAL_ERROR "gen_images.py wrote no contact sheet at ${sheet}")
endif()

set(differ "")
foreach(name BACKIMG CHARA STRINGS TITLE)
    file(SHA256 ${SOURCE_DIR}/resources/${name}.bmp committed)
    file(SHA256 ${images}/${name}.bmp regenerated)
    if(NOT committed STREQUAL regenerated)
        list(APPEND differ ${name}.bmp)
    endif()
endforeach()
if(differ)
    message(FATAL_ERROR "regenerated images differ from the committed ones: ${differ}")
endif()
message("the committed images are the generator's output")
