#!/bin/sh
# Runs one fuzzer: first every kept crasher (each must now pass), then new inputs
# from the seed corpus for the budget given in the libFuzzer options.
# Usage: run_fuzzer.sh FUZZER SOURCE_DIR WORK_DIR [LIBFUZZER_OPTIONS...]
# A crash leaves its input in WORK_DIR/crash-*; copy it to SOURCE_DIR/crashers/NAME/.
set -eu
fuzzer=$1 source=$2 work=$3
shift 3
name=$(basename "$fuzzer")
mkdir -p "$work/corpus"
crashers=$(find "$source/crashers/$name" -type f 2>/dev/null || true)
if [ -n "$crashers" ]; then
  # shellcheck disable=SC2086
  "$fuzzer" $crashers
fi
exec "$fuzzer" -artifact_prefix="$work/" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$@" \
  "$work/corpus" "$source/corpus/$name"
