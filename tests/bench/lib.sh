# Shared by the bench scripts: the Wine environment of one build folder, and the bookkeeping
# of the processes they start.
# Usage: . lib.sh BUILD_DIR
bench_build=$(cd "$1" && pwd)
bench_dir=$bench_build/bench
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
export WINEPREFIX=${WINEPREFIX:-$bench_build/wineprefix}
export WINEDEBUG=-all
# No Mono/Gecko installer dialog may ever hang a headless run.
export WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$bench_dir/env" ] && . "$bench_dir/env"

# The prefix has the setting that keeps windows unmanaged (a prefix made before it was added
# gets it too).
bench_prefix_ok() {
  [ -f "$WINEPREFIX/.ready" ] && grep -qs '^"Managed"="N"' "$WINEPREFIX/user.reg"
}

# Creates the prefix once; parallel callers wait for the first.
bench_prefix() {
  bench_prefix_ok && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock -w 300 9 || { echo "bench: the prefix lock is held by another run" >&2; exit 1; }
    if ! bench_prefix_ok; then
      [ -f "$WINEPREFIX/.ready" ] || timeout 300 "$WINE" wineboot -i >/dev/null 2>&1
      # No window manager runs on Xvfb: unmanaged windows hide at once instead of waiting
      # for a withdrawal that never comes.
      timeout 60 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        >/dev/null 2>&1
      timeout 60 "$WINESERVER" -w   # the registry is written to user.reg when it ends
      bench_prefix_ok || touch "$WINEPREFIX/.ready"
      bench_prefix_ok || { echo "bench: the prefix $WINEPREFIX lacks Managed=N" >&2; exit 1; }
    fi
  ) 9>"$WINEPREFIX.lock"
}

# A process's start time in clock ticks since boot: with the pid, it names that process only,
# so a pid reused by another program after ours ended is never taken for ours.
proc_start() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }            # the name may hold spaces and parentheses
  set -- $stat
  [ "$1" != Z ] || return 1    # ended, not yet reaped
  echo "${20}"
}

# Appends "PID START" to a list file, at once, so a failure later leaves nothing unrecorded.
proc_record() {
  local start
  start=$(proc_start "$1") || { echo "bench: process $1 ended at its start" >&2; return 1; }
  echo "$1 $start" >>"$2"
}

# Ends every process of a list file that is still the one recorded, newest first: TERM, up to
# 5 s, then KILL. Removes the file.
proc_end_recorded() {
  [ -f "$1" ] || return 0
  local pid start
  while read -r pid start; do
    [ "$(proc_start "$pid" || true)" = "$start" ] || continue
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do [ "$(proc_start "$pid" || true)" = "$start" ] || break; sleep 0.1; done
    [ "$(proc_start "$pid" || true)" = "$start" ] && kill -9 "$pid" 2>/dev/null || true
  done < <(tac "$1")
  rm -f "$1"
}
