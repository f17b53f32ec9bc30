# Turns the bitmap lines of a resource script into an assembly file that
# includes each bitmap's bytes (minus the 14-byte file header, as the resource
# compiler stores them) and a C++ table of those bytes.
#
# cmake -DRC_FILE=<script.rc> -DOUT_ASM=<file.S> -DOUT_CPP=<file.cpp> -P embed_resources.cmake
#
# Without OUT_ASM the bytes are written into the C++ file as arrays instead:
# WebAssembly has no assembler that includes a file's bytes.

include(${CMAKE_CURRENT_LIST_DIR}/rc_bitmaps.cmake)
velmora_rc_bitmaps(${RC_FILE} names files)
list(LENGTH names count)
if(count EQUAL 0)
    message(FATAL_ERROR "${RC_FILE}: no BITMAP resources")
endif()

set(asm "/* Generated from ${RC_FILE}; edit the resource script, not this file. */\n")
string(APPEND asm "    .section .rodata\n")
set(decls "")
set(rows "")
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
    list(GET names ${i} name)
    list(GET files ${i} file)
    set(sym velmora_embedded_resource_${i})
    if(NOT OUT_ASM)
        file(READ ${file} hex OFFSET 14 HEX)
        string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
        string(APPEND decls "static const unsigned char ${sym}[] = {${bytes}};\n")
        string(APPEND rows "        {\"${name}\", 2, ${sym}, sizeof ${sym}},\n")
        continue()
    endif()
    string(APPEND asm "    .balign 4\n    .globl ${sym}\n    .globl ${sym}_end\n"
                      "    .hidden ${sym}\n    .hidden ${sym}_end\n"
                      "${sym}:\n    .incbin \"${file}\", 14\n${sym}_end:\n")
    string(APPEND decls "extern \"C\" const unsigned char ${sym}[];\n"
                        "extern \"C\" const unsigned char ${sym}_end[];\n")
    string(APPEND rows "        {\"${name}\", 2, ${sym}, static_cast<size_t>(${sym}_end - ${sym})},\n")
endforeach()
string(APPEND asm "    .section .note.GNU-stack,\"\",@progbits\n")

set(cpp "// Generated from ${RC_FILE}; edit the resource script, not this file.\n")
string(APPEND cpp "#include \"embedded_resources.h\"\n\n${decls}\n"
                  "const EmbeddedResource* EmbeddedResources(size_t* count) {\n"
                  "    static const EmbeddedResource table[] = {\n${rows}    };\n"
                  "    *count = sizeof table / sizeof table[0];\n"
                  "    return table;\n}\n")

if(OUT_ASM)
    file(WRITE ${OUT_ASM} "${asm}")
endif()
file(WRITE ${OUT_CPP} "${cpp}")
