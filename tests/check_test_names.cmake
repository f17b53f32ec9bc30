# Every test can be picked by name with `ctest -R`: no name carries a printed
# parameter (raw bytes change from build to build) and no two are the same.
#
# cmake -DCTEST=<ctest> -DBUILD_DIR=<build folder> -P check_test_names.cmake

cmake_policy(SET CMP0057 NEW)

execute_process(COMMAND ${CTEST} -N WORKING_DIRECTORY ${BUILD_DIR}
                OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "ctest -N failed in ${BUILD_DIR}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(names "")
set(wrong "")
foreach(line IN LISTS lines)
    if(line MATCHES "^ *Test +#[0-9]+: (.*)$")
        set(name "${CMAKE_MATCH_1}")
        if(name MATCHES "GetParam|byte object|#|<|>")
            list(APPEND wrong "printed parameter in: ${name}")
        endif()
        if(name IN_LIST names)
            list(APPEND wrong "twice: ${name}")
        endif()
        list(APPEND names "${name}")
    endif()
endforeach()
list(LENGTH names count)
if(count LESS 100)
    message(FATAL_ERROR "only ${count} tests listed in ${BUILD_DIR}: the listing was not read")
endif()
if(wrong)
    string(REPLACE ";" "\n  " wrong "${wrong}")
    message(FATAL_ERROR "test names that ctest -R cannot pick reliably:\n  ${wrong}")
endif()
message("${count} test names, each plain and unique")
