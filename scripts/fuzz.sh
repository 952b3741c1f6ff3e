#!/bin/sh
# Builds the fuzz targets of the image file readers with clang in ./build-fuzz and runs each for
# FUZZ_SECONDS (60) seconds from the seed corpus in fuzz/corpus. Fails when a target crashes; the
# crashing input is left in build-fuzz/ (crash-*).
set -e
cd "$(dirname "$0")/.."
SECONDS_EACH=${FUZZ_SECONDS:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTREL_FUZZ=ON
cmake --build build-fuzz -j2 --target fuzz_srecord fuzz_intelhex fuzz_elf
for reader in srecord intelhex elf; do
    found=build-fuzz/corpus-$reader
    mkdir -p "$found"
    echo "fuzzing the $reader reader for $SECONDS_EACH s"
    build-fuzz/fuzz/fuzz_$reader -max_total_time="$SECONDS_EACH" -max_len=8192 \
        -artifact_prefix="build-fuzz/crash-$reader-" -print_final_stats=1 \
        "$found" "fuzz/corpus/$reader"
done
