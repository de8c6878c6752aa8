#!/usr/bin/env bash
# The torture suite's long budget: 10 minutes of audio per format in the soak,
# every extreme held 10 s, 1,000,000 inputs per fuzzer, a minute of racing threads
# under ThreadSanitizer; natively and (for the soak and the extremes) under Wine.
# Prints each run's figures; fails when any run fails.
#
# Usage: tools/torture.sh [native] [wine] [fuzz] [tsan]     (default: all four)
# Budgets from the environment: SOAK_SECONDS (600), HOLD_SECONDS (10),
# FUZZ_RUNS (1000000), RACE_SECONDS (60), SEED (1).
set -uo pipefail
cd "$(dirname "$0")/.."
parts=${*:-native wine fuzz tsan}
soak=${SOAK_SECONDS:-600} hold=${HOLD_SECONDS:-10} runs=${FUZZ_RUNS:-1000000} race=${RACE_SECONDS:-60}
seed=${SEED:-1}
jobs=$(nproc)
failed=0
run() {  # run LABEL COMMAND...: runs, reports the exit status, counts a failure
  echo "== $1"
  shift
  "$@"
  local rc=$?
  [ "$rc" -eq 0 ] || { echo "   FAILED (exit $rc)"; failed=$((failed + 1)); }
}
configure_and_build() {  # configure_and_build DIR TARGETS -- CMAKE_ARGS...
  local dir=$1 targets=$2
  shift 3
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null && cmake --build "$dir" -j "$jobs" --target $targets
}

for part in $parts; do
  case "$part" in
    native)
      configure_and_build build "moravelle_torture_cli moravelle_race" -- -DCMAKE_BUILD_TYPE=Release || exit 1
      cli=build/tests/torture/moravelle-torture
      run "soak VST2, $soak s of audio" $cli soak --format vst2 --plugin build/adapters/vst2/Moravelle.so --seconds "$soak" --seed "$seed"
      run "soak VST3, $soak s of audio" $cli soak --format vst3 --plugin build/plugins/Moravelle.vst3 --seconds "$soak" --seed "$((seed + 1))"
      run "extremes VST2 (64-bit), held $hold s" $cli extremes --format vst2 --plugin build/adapters/vst2/Moravelle.so --hold "$hold"
      run "extremes VST3 (32-bit), held $hold s" $cli extremes --format vst3 --plugin build/plugins/Moravelle.vst3 --hold "$hold" --float
      ;;
    wine)
      configure_and_build build-win "moravelle_torture_cli" -- -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake || exit 1
      wine=(cmake/wine-run.sh build-win/tests/torture/moravelle-torture.exe)
      dir=$PWD/build-win
      run "soak Moravelle.dll under Wine, $soak s" "${wine[@]}" soak --format vst2 --plugin "$dir/adapters/vst2/Moravelle.dll" --seconds "$soak" --seed "$seed"
      run "soak Moravelle.vst3 under Wine, $soak s" "${wine[@]}" soak --format vst3 --plugin "$dir/plugins/Moravelle.vst3" --seconds "$soak" --seed "$((seed + 1))"
      run "extremes Moravelle.dll under Wine, held $hold s" "${wine[@]}" extremes --format vst2 --plugin "$dir/adapters/vst2/Moravelle.dll" --hold "$hold"
      run "extremes Moravelle.vst3 under Wine, held $hold s" "${wine[@]}" extremes --format vst3 --plugin "$dir/plugins/Moravelle.vst3" --hold "$hold" --float
      ;;
    fuzz)
      CC=clang CXX=clang++ configure_and_build build-fuzz "fuzz_vst2_chunks fuzz_vst2_dispatcher fuzz_vst3_state" -- \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORAVELLE_FUZZ=ON -DMORAVELLE_TESTS=OFF -DMORAVELLE_TOOLS=OFF \
        -DMORAVELLE_BENCH=OFF || exit 1
      for fuzzer in fuzz_vst2_chunks fuzz_vst2_dispatcher fuzz_vst3_state; do
        run "$fuzzer, $runs inputs" sh tests/torture/fuzz/run_fuzzer.sh "build-fuzz/tests/torture/fuzz/$fuzzer" \
          tests/torture/fuzz "build-fuzz/tests/torture/fuzz/$fuzzer-long" -runs="$runs"
      done
      ;;
    tsan)
      configure_and_build build-tsan moravelle_race -- -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORAVELLE_TSAN=ON \
        -DMORAVELLE_TOOLS=OFF -DMORAVELLE_BENCH=OFF || exit 1
      TSAN_OPTIONS=halt_on_error=1 run "race under ThreadSanitizer, $race s" build-tsan/tests/torture/moravelle-race \
        build-tsan/adapters/vst2/Moravelle.so build-tsan/plugins/Moravelle.vst3 "$race"
      ;;
    *) echo "torture: unknown part '$part' (native, wine, fuzz or tsan)" >&2; exit 2 ;;
  esac
done
echo "torture: $failed run(s) failed"
[ "$failed" -eq 0 ]
