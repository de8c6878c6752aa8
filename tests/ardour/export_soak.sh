#!/usr/bin/env bash
# Exports one snapshot of a saved session again and again, one export at a time, and
# counts how each ended: ok, crash (a signal, with the abort message), hang (still
# running at the time limit) or error. It measures how often ardour7-export fails on
# its own with a given session (a deadlock as the export starts, an abort in its
# teardown), so that sessions with different plug-ins can be compared.
# Usage: export_soak.sh WORK_DIR SNAPSHOT RUNS [TIMEOUT_SECONDS [TRACE_DIR]]
#   WORK_DIR is a work folder as ardour_check.sh leaves it: session/, plugins/ and
#   the cache/ and config/ that Ardour's scanner and session tools used. A session
#   with another plug-in in the same layout comes from build_session.lua with that
#   plug-in's PLUGIN_NAME and PLUGIN_TYPE (after a scan into the same cache/).
#   With TRACE_DIR, each failed export's log is kept there, with the threads of a
#   hung export (dumped by gdb before it is killed) or of a crashed one (from its core).
set -uo pipefail
work=$1 snapshot=$2 runs=$3 limit=${4:-60} traces=${5:-}
session=$work/session
export XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
export LXVST_PATH=$work/plugins VST3_PATH=$work/plugins
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if [ -n "$traces" ]; then
  mkdir -p "$traces"
  ulimit -c unlimited  # the kernel's core pattern is a plain "core" in the working folder
fi
ok=0 crash=0 hang=0 error=0
for ((i = 1; i <= runs; i++)); do
  # setsid: the export and its children form one group, killed together on a hang.
  rm -f "$out"/core*
  (cd "$out" && exec setsid ardour7-export -b float -o "$out/render.wav" "$session" "$snapshot" >"$out/log" 2>&1) &
  pid=$!
  for ((t = 0; t < limit * 10; t++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  rc=0 kind=
  if kill -0 "$pid" 2>/dev/null; then
    kind=hang rc=hang
    if [ -n "$traces" ] && command -v gdb >/dev/null; then
      for p in $(pgrep -g "$pid"); do
        gdb -p "$p" -batch -ex 'thread apply all bt' -ex 'info sharedlibrary' >"$traces/run$i-hang-$p.txt" 2>&1
      done
    fi
    kill -KILL -- "-$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    hang=$((hang + 1))
  else
    wait "$pid" || rc=$?
    if [ "$rc" -eq 0 ]; then
      ok=$((ok + 1))
      [ $((i % 10)) -ne 0 ] || echo "after $i runs: ok $ok crash $crash hang $hang error $error"
      continue
    elif [ "$rc" -gt 128 ]; then
      crash=$((crash + 1)) kind=crash
    else
      error=$((error + 1)) kind=error
    fi
  fi
  if [ -n "$traces" ]; then
    cp "$out/log" "$traces/run$i-$kind.log"
    for core in "$out"/core*; do
      [ -f "$core" ] || continue
      gdb -batch -ex 'thread apply all bt' /usr/lib/ardour7/utils/ardour7-export "$core" \
        >"$traces/run$i-crash-bt.txt" 2>&1
      rm -f "$core"
    done
  fi
  # The last line the export printed tells where it stopped (progress or abort text).
  echo "run $i: $kind, exit code $rc: $(tr '\r' '\n' <"$out/log" | grep -v '^\s*$' | tail -1)"
done
echo "SOAK $snapshot runs $runs ok $ok crash $crash hang $hang error $error"
