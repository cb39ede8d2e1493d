#!/usr/bin/env bash
# scripts/run and then scripts/test, with cmake, ctest and the package tools replaced by stand-ins
# that keep each build folder's -D options the way a CMake cache does: the game is built alone
# from the run packages, and scripts/test's folder still has its tests and benchmarks.
set -u
SRC=$(cd "$(dirname "$0")/../.." && pwd)
T=$(mktemp -d /tmp/kd-scripts.XXXXXX)
trap 'rm -rf "$T"' EXIT
mkdir -p "$T/root/scripts" "$T/bin"
cp "$SRC"/scripts/{deps.sh,run,test} "$T/root/scripts/"
stub() { printf '#!/usr/bin/env bash\n%s\n' "$2" >"$T/bin/$1" && chmod +x "$T/bin/$1"; }
# kd_build calls `cmake -S root -B folder -D...` and then `cmake --build folder ...`.
stub cmake 'if [ "$1" = --build ]; then echo "$*" >>"$2/builds"; printf "#!/bin/sh\necho game ran\n" >"$2/kelvodara"
chmod +x "$2/kelvodara"; else mkdir -p "$4"; printf "%s\n" "${@:5}" >>"$4/cache"; fi'
stub ctest 'exit 0' && stub dpkg-query 'exit 1' && stub id 'echo 0'
stub apt-get '[ "$1" = install ] && echo "$*" >>"$KD_APT_LOG"; exit 0'
fails=0
expect() {  # what, wanted, got
    [[ $3 == "$2" ]] && echo "PASS: $1" || { echo "FAIL: $1: wanted '$2', got '$3'"; fails=$((fails + 1)); }
}
option() {  # folder, name: the last value given there, else the option's default
    local v=$(grep -h "^-D$2=" "$T/root/$1/cache" 2>/dev/null | tail -n 1 | cut -d= -f2)
    echo "${v:-$(sed -nE "s/^option\($2 \"[^\"]*\" (ON|OFF)\)$/\1/p" "$SRC/CMakeLists.txt")}"
}
# The sanitizer runs of the suite set these for themselves; the scripts under test must not see them.
unset KD_SANITIZE KD_TSAN
export PATH="$T/bin:$PATH"
expect "scripts/run starts the game" "game ran" "$(KD_APT_LOG=$T/apt-run "$T/root/scripts/run" 2>&1 | tail -n 1)"
KD_APT_LOG=$T/apt-test "$T/root/scripts/test" >/dev/null 2>&1
run_dir=$(dirname "$(grep -l -- "--target kelvodara" "$T"/root/*/builds)")
expect "scripts/run builds only the game, in a folder of its own, without tests or benchmarks" \
    "--build $run_dir -j$(nproc) --target kelvodara OFF OFF" \
    "$(cat "$run_dir/builds" 2>/dev/null) $(option "${run_dir##*/}" KD_BUILD_TESTS) $(option "${run_dir##*/}" KD_BUILD_BENCH)"
expect "scripts/test after scripts/run builds everything with tests and benchmarks" "--build $T/root/build -j$(nproc) ON ON" \
    "$(cat "$T/root/build/builds") $(option build KD_BUILD_TESTS) $(option build KD_BUILD_BENCH)"
expect "the package lists: none of the tests' for scripts/run, the tests' for scripts/test" " libgtest-dev libbenchmark-dev" \
    "$(grep -oE 'gtest|benchmark|clang|xvfb|lintian' "$T/apt-run") $(grep -oE 'libgtest-dev|libbenchmark-dev' "$T/apt-test" | xargs)"
((fails == 0))
