#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native suite, the same
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, the Windows build
# under Wine, and the core configuration without the plug-ins. Every build treats a
# warning as an error. Any failure (a sanitizer finding included) fails the run.
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
strict=(-DMORAVELLE_WERROR=ON)
run_suite native build -DCMAKE_BUILD_TYPE=Release "${strict[@]}"
run_suite sanitizers build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORAVELLE_SANITIZE=ON -DMORAVELLE_BENCH=OFF "${strict[@]}"
run_suite windows build-win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake "${strict[@]}"
# The documented configurations: the core without the plug-ins (the renderer falls
# back to the effect compiled in) is built and tested; one without tests, tools and
# benchmarks must configure.
run_suite core build-core -DCMAKE_BUILD_TYPE=Release -DMORAVELLE_PLUGINS=OFF -DMORAVELLE_BENCH=OFF "${strict[@]}"
echo "== configuration without tests, tools and benchmarks"
if cmake -S . -B build-bare -G Ninja -DMORAVELLE_TESTS=OFF -DMORAVELLE_TOOLS=OFF -DMORAVELLE_BENCH=OFF >/dev/null; then
  passed=$((passed + 1))
else
  echo "configuring without tests, tools and benchmarks failed"
  failed=$((failed + 1))
fi

echo "all suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
