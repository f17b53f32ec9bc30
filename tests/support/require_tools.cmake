# How a suite that needs outside tools (X servers, Wine, a browser, Python
# modules, development files) says they are missing: it becomes one test,
# <suite>.skipped, which prints what is missing and counts as skipped, so that
# every ctest run shows the gap instead of the suite silently vanishing.

# The system's python3: Debian's Pillow and websocket modules are installed
# for it, where a python3 earlier on PATH (a virtual environment) may lack them.
find_program(VELMORA_SYSTEM_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)

# velmora_require_tools(<suite> LABEL <label> [PYTHON <python>] [PROGRAMS <program>...]
#                       [PYTHON_MODULES <module>...] [PKG_CONFIG <module>...])
#
# Sets <suite>_TOOLS_FOUND in the caller. Each program found is cached as
# VELMORA_PROGRAM_<NAME> (upper case, other characters as _); the pkg-config
# modules together become the target PkgConfig::VELMORA_<suite>_PKG. Python
# modules are looked for in <python>, by default VELMORA_SYSTEM_PYTHON.
function(velmora_require_tools suite)
    cmake_parse_arguments(arg "" "LABEL;PYTHON" "PROGRAMS;PYTHON_MODULES;PKG_CONFIG" ${ARGN})
    if(NOT arg_PYTHON)
        set(arg_PYTHON ${VELMORA_SYSTEM_PYTHON})
    endif()
    set(missing "")
    foreach(program IN LISTS arg_PROGRAMS)
        string(MAKE_C_IDENTIFIER "${program}" id)
        string(TOUPPER "${id}" id)
        find_program(VELMORA_PROGRAM_${id} ${program})
        if(NOT VELMORA_PROGRAM_${id})
            list(APPEND missing ${program})
        endif()
    endforeach()
    foreach(module IN LISTS arg_PYTHON_MODULES)
        set(failed 1)
        if(arg_PYTHON)
            execute_process(COMMAND ${arg_PYTHON} -c "import ${module}" RESULT_VARIABLE failed
                            OUTPUT_QUIET ERROR_QUIET)
        endif()
        if(failed)
            list(APPEND missing "the Python module ${module} (for ${arg_PYTHON})")
        endif()
    endforeach()
    if(arg_PKG_CONFIG)
        find_package(PkgConfig REQUIRED)
        pkg_check_modules(VELMORA_${suite}_PKG QUIET IMPORTED_TARGET ${arg_PKG_CONFIG})
        if(NOT VELMORA_${suite}_PKG_FOUND)
            list(APPEND missing "the development files of ${arg_PKG_CONFIG}")
        endif()
    endif()
    if(NOT missing)
        set(${suite}_TOOLS_FOUND TRUE PARENT_SCOPE)
        return()
    endif()
    set(${suite}_TOOLS_FOUND FALSE PARENT_SCOPE)
    list(JOIN missing ", " reason)
    message(STATUS "${suite} tests skipped, missing: ${reason} (scripts/setup.sh test)")
    add_test(NAME ${suite}.skipped
             COMMAND sh -c "echo 'missing: ${reason}; scripts/setup.sh test installs it'; exit 77")
    set_tests_properties(${suite}.skipped PROPERTIES SKIP_RETURN_CODE 77 LABELS ${arg_LABEL})
endfunction()

# velmora_python_test(<name> LABEL <label> TIMEOUT <seconds> WORKING_DIRECTORY <folder>
#                     COMMAND <arguments to python>... [ENVIRONMENT <VAR=value>...]
#                     [PYTHONPATH <folder>...])
#
# A Python suite run by the system's python3 with tests/support (the
# velmora_test package) on its path and the native build in VELMORA_BIN.
function(velmora_python_test name)
    cmake_parse_arguments(arg "" "LABEL;TIMEOUT;WORKING_DIRECTORY"
                          "COMMAND;ENVIRONMENT;PYTHONPATH" ${ARGN})
    set(path ${PROJECT_SOURCE_DIR}/tests/support ${arg_PYTHONPATH})
    list(JOIN path ":" path)
    add_test(NAME ${name} COMMAND ${VELMORA_SYSTEM_PYTHON} -B ${arg_COMMAND}
             WORKING_DIRECTORY ${arg_WORKING_DIRECTORY})
    set(environment PYTHONPATH=${path} PYTHONDONTWRITEBYTECODE=1
                    VELMORA_BIN=$<TARGET_FILE:velmora> ${arg_ENVIRONMENT})
    set_tests_properties(${name} PROPERTIES LABELS ${arg_LABEL} TIMEOUT ${arg_TIMEOUT}
                                            ENVIRONMENT "${environment}")
endfunction()
