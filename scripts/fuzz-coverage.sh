#!/bin/sh
# Line coverage of the fuzzed code by the corpus: the committed seeds plus
# whatever scripts/fuzz.sh has added under build/fuzz/corpus/. Builds the
# replay programs with clang's source coverage in build/fuzz-cov and prints
# llvm-cov's report for the files the targets are about (llvm-14 has the tools).
set -eu
cd "$(dirname "$0")/.."
build=build/fuzz-cov
cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug -DVELMORA_WINE_TESTS=OFF \
    "-DCMAKE_CXX_FLAGS=-fprofile-instr-generate -fcoverage-mapping" \
    "-DCMAKE_EXE_LINKER_FLAGS=-fprofile-instr-generate" >/dev/null
targets="bmp_parse image_loader script fault_list ddraw"
# shellcheck disable=SC2046 # one target name per word
nice -n 19 cmake --build "$build" -j 2 --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)

rm -f "$build"/*.profraw
objects=""
for target in $targets; do
    folders="fuzz/corpus/$target"
    [ -d "build/fuzz/corpus/$target" ] && folders="$folders build/fuzz/corpus/$target"
    [ "$target" = image_loader ] && folders="$folders fuzz/corpus/bmp_parse"
    # shellcheck disable=SC2086 # folders are separate arguments
    LLVM_PROFILE_FILE="$build/$target.profraw" "$build/fuzz/fuzz_$target" $folders 2>/dev/null
    # llvm-cov takes the first program plainly and the others after -object.
    objects="${objects:+$objects -object }$build/fuzz/fuzz_$target"
done
llvm-profdata-14 merge -o "$build/all.profdata" "$build"/*.profraw
# shellcheck disable=SC2086 # -object pairs
llvm-cov-14 report $objects -instr-profile="$build/all.profdata" \
    platform/src/gdi/bmp.cpp platform/src/gdi/stretch.cpp platform/src/gdi/color.cpp \
    platform/src/backend/headless/script.cpp platform/src/core/fault_list.cpp \
    platform/src/user/load_image.cpp platform/src/kernel/files.cpp platform/src/ddraw/*.cpp \
    platform/src/kernel/regular_file.cpp imageutil/load_bitmap.cpp imageutil/load_palette.cpp
