#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native suite, the same
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, the Windows build
# under Wine, and the core configuration without the plug-ins. Every build treats a
# warning as an error. Any failure (a sanitizer finding included) fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh all
echo "== dependencies ready after $SECONDS s"

jobs=$(nproc)
passed=0
failed=0
run_suite() {  # run_suite NAME BUILD_DIR CMAKE_ARGS...
  local name=$1 dir=$2 started=$SECONDS
  shift 2
  echo "== $name: configure and build ($dir)"
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  # build_targets and test_filter, when set, narrow a suite to some targets and tests.
  # shellcheck disable=SC2086
  cmake --build "$dir" -j "$jobs" ${build_targets:+--target $build_targets}
  echo "== $name: built in $((SECONDS - started)) s; test"
  local log="$dir/ctest.log" rc=0
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" ${test_filter:+-R "$test_filter"} 2>&1 | tee "$log" || rc=$?
  local total ok
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
  ok=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed.*/\1/p' "$log" | tail -1)
  total=${total:-0}
  local bad=${ok:-0}
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  [ "$rc" -eq 0 ] || failed=$((failed + (bad == 0 ? 1 : 0)))
  echo "== $name: done after $((SECONDS - started)) s"
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
strict=(-DMORAVELLE_WERROR=ON)
export TSAN_OPTIONS=halt_on_error=1
# The torture runs take their full short budget natively; the sanitizer and Wine
# suites run them shorter.
short_torture=(-DMORAVELLE_TORTURE_SOAK_SECONDS=60 -DMORAVELLE_TORTURE_HOLD_SECONDS=0.5 -DMORAVELLE_RACE_SECONDS=5)
run_suite native build -DCMAKE_BUILD_TYPE=Release "${strict[@]}"
# Line tables are all the sanitizers' reports need (-g1), and they compile faster
# than full debug information (a test file in two thirds of the time).
run_suite sanitizers build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORAVELLE_SANITIZE=ON -DMORAVELLE_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  "${short_torture[@]}" "${strict[@]}"
run_suite windows build-win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  "${short_torture[@]}" "${strict[@]}"
# The fuzzers (clang, a minute each; only the fuzz targets are built, since clang
# leaves the sanitizer runtime out of the plug-in modules), and under
# ThreadSanitizer the tests that hand data between threads (the plug-ins' race
# test, the editor's hand-over), built alone.
CC=clang CXX=clang++ build_targets="fuzz_vst2_chunks fuzz_vst2_dispatcher fuzz_vst3_state" run_suite fuzzers build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORAVELLE_FUZZ=ON \
  -DMORAVELLE_TESTS=OFF -DMORAVELLE_TOOLS=OFF -DMORAVELLE_BENCH=OFF
build_targets="moravelle_race editor_handover_tests" test_filter="torture_race|^editor_handover_tests$" run_suite threads build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORAVELLE_TSAN=ON -DMORAVELLE_TOOLS=OFF -DMORAVELLE_BENCH=OFF
# The documented configurations: in the core without the plug-ins, the renderer (the
# one program that differs there: it falls back to the effect compiled in) is built
# and tested; the rest of the core is the native tree's, tested above. One without
# tests, tools and benchmarks must configure.
build_targets="moravelle-render render_parts_tests render_cli_tests" test_filter="^render_" run_suite core build-core \
  -DCMAKE_BUILD_TYPE=Release -DMORAVELLE_PLUGINS=OFF -DMORAVELLE_BENCH=OFF "${strict[@]}"
echo "== configuration without tests, tools and benchmarks"
if cmake -S . -B build-bare -G Ninja -DMORAVELLE_TESTS=OFF -DMORAVELLE_TOOLS=OFF -DMORAVELLE_BENCH=OFF >/dev/null; then
  passed=$((passed + 1))
else
  echo "configuring without tests, tools and benchmarks failed"
  failed=$((failed + 1))
fi

# The release files, packaged twice from the native and Windows trees just tested (no
# second build): every file is written, and the two packagings have the same contents.
echo "== release files from the tested trees"
release_check=build/release-check
if tools/release.sh --trees build build-win --out "$release_check/first" &&
   tools/release.sh --trees build build-win --out "$release_check/second" >/dev/null 2>&1 &&
   tools/compare-release.sh "$release_check/first" "$release_check/second" &&
   (cd "$release_check/first" && sha256sum -c --quiet SHA256SUMS && test "$(ls | wc -l)" -eq 5); then
  passed=$((passed + 1))
else
  echo "release files: FAILED"
  failed=$((failed + 1))
fi

echo "all suites: $passed passed, $failed failed, in $SECONDS s"
[ "$failed" -eq 0 ]
