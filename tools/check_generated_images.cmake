# Runs the image generator into a fresh folder and compares its output with
# the committed images byte for byte.
#
# cmake -DPYTHON=<python with Pillow> -DSOURCE_DIR=<source tree> -DWORK_DIR=<scratch folder>
#       -P check_generated_images.cmake

execute_process(COMMAND ${PYTHON} -c "import PIL" RESULT_VARIABLE no_pillow
                OUTPUT_QUIET ERROR_QUIET)
if(no_pillow)
    message("SKIPPED: ${PYTHON} cannot import Pillow, so the images cannot be regenerated")
    return()
endif()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${PYTHON} ${SOURCE_DIR}/tools/gen_images.py ${WORK_DIR}
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "gen_images.py failed")
endif()

set(differ "")
foreach(name BACKIMG CHARA STRINGS TITLE)
    file(SHA256 ${SOURCE_DIR}/resources/${name}.bmp committed)
    file(SHA256 ${WORK_DIR}/${name}.bmp regenerated)
    if(NOT committed STREQUAL regenerated)
        list(APPEND differ ${name}.bmp)
    endif()
endforeach()
if(differ)
    message(FATAL_ERROR "regenerated images differ from the committed ones: ${differ}")
endif()
message("the committed images are the generator's output")
