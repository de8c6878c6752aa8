#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native suite, the same
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows build
# under Wine. Any failure (a sanitizer finding included) fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh all

jobs=$(nproc)
passed=0
failed=0
run_suite() {  # run_suite NAME BUILD_DIR CMAKE_ARGS...
  local name=$1 dir=$2
  shift 2
  echo "== $name: configure and build ($dir)"
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  echo "== $name: test"
  local log="$dir/ctest.log" rc=0
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" 2>&1 | tee "$log" || rc=$?
  local total ok
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
  ok=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed.*/\1/p' "$log" | tail -1)
  total=${total:-0}
  local bad=${ok:-0}
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  [ "$rc" -eq 0 ] || failed=$((failed + (bad == 0 ? 1 : 0)))
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite native build -DCMAKE_BUILD_TYPE=Release
run_suite sanitizers build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORAVELLE_SANITIZE=ON -DMORAVELLE_BENCH=OFF
# ThreadSanitizer: only the tests that hand data between threads, built alone.
echo "== threads: ThreadSanitizer build (build-tsan)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORAVELLE_TSAN=ON \
  -DMORAVELLE_BENCH=OFF -DMORAVELLE_TOOLS=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target editor_handover_tests
tsan_rc=0
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -R '^editor_handover_tests$' || tsan_rc=$?
if [ "$tsan_rc" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi

run_suite windows build-win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

echo "all suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
