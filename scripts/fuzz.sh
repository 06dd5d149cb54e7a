#!/usr/bin/env bash
# Fuzzes one target of tests/fuzz with libFuzzer for a given time:
#     scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
# Builds the clang tree build/fuzz, 32-bit like the host tree. Inputs found
# on the way collect in build/fuzz/corpus/TARGET; a crash, hang or broken
# round trip is written to build/fuzz/artifacts/TARGET/ and ends the run with
# a non-zero status: once
# the fault is mended, copy the file into tests/fuzz/TARGET/, where every test
# run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:-}
seconds=${2:-}
shift 2 || true
if [ -z "$target" ] || [ -z "$seconds" ] || [ ! -d "tests/fuzz/$target" ]; then
    echo "use: scripts/fuzz.sh TARGET SECONDS; targets:" $(cd tests/fuzz && ls -d */ | tr -d /) >&2
    exit 2
fi
if ! command -v clang++ >/dev/null; then
    echo "fuzz: needs clang and libFuzzer (apt-get install clang libclang-rt-14-dev)" >&2
    exit 2
fi

build=build/fuzz
cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
      -DVR_FUZZ=ON >/dev/null
cmake --build "$build" -j4 --target "fuzz_$target" >/dev/null

corpus=$build/corpus/$target
artifacts=$build/artifacts/$target
mkdir -p "$corpus" "$artifacts"
# Leaks at exit belong to the harness's static state, not to a fault. A
# small quarantine keeps the 32-bit sanitizer allocator within the address
# space that the user-mode emulator gives a 32-bit program.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0:quarantine_size_mb=8
export UBSAN_OPTIONS=${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}print_stacktrace=1
# New inputs go to the corpus folder. The seeds and the inputs of earlier
# runs are named one by one: a 32-bit libFuzzer cannot list folders of a
# file system with 64-bit inode numbers.
seeds=$(find "tests/fuzz/$target" "$corpus" -type f | paste -sd, -)
exec "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=0 \
     -max_len=8192 -print_final_stats=1 -artifact_prefix="$artifacts/" -seed_inputs="$seeds" "$@" "$corpus"
