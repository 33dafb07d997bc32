# Shared by the bench scripts: the Wine environment of one build folder.
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

# Creates the prefix once; parallel callers wait for the first.
bench_prefix() {
  [ -f "$WINEPREFIX/.ready" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.ready" ]; then
      "$WINE" wineboot -i >/dev/null 2>&1
      # No window manager runs on Xvfb: unmanaged windows hide at once instead of waiting
      # for a withdrawal that never comes.
      "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      "$WINESERVER" -w
      touch "$WINEPREFIX/.ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}
