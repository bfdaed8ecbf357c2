#!/usr/bin/env bash
# Installs into a temporary prefix and runs the installed program under its own Xvfb:
# the link in bin must find the skin under lib/osyl, and the sample labels must draw.
set -euo pipefail
build_dir=$1
prefix=$(mktemp -d)
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$prefix" "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
for file in bin/osyl lib/osyl/osyl lib/osyl/skin/c0.bmp lib/osyl/skin/bz.bmp share/osyl/osyl.dat \
            share/applications/osyl.desktop share/pixmaps/osyl.xpm share/man/man1/osyl.1; do
  [[ -e "$prefix/$file" ]] || fail "missing $file"
done
[[ -L "$prefix/bin/osyl" ]] || fail "bin/osyl is not a link"
if command -v groff >/dev/null; then
  groff -man -Tutf8 -ww -z "$prefix/share/man/man1/osyl.1" 2>&1 | grep . && fail "man page warnings"
fi

exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 800x624x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
read -r -t 30 number <&"$displayfd" || fail "Xvfb did not start"
export DISPLAY=":$number"

cp "$prefix/share/osyl/osyl.dat" "$work/"
(cd "$work" && exec "$prefix/bin/osyl") &
osyl=$!
pids+=("$osyl")

wait_for() {  # a window name to appear mapped at a geometry
  for _ in $(seq 1 200); do
    xwininfo -name "$1" 2>/dev/null | grep -q "Map State: IsViewable" && return 0
    sleep 0.05
  done
  fail "window $1 not mapped"
}
wait_for osyl
xwininfo -name osyl | grep -q "Absolute upper-left Y:  577" || fail "bar not at y 577"
xdotool mousemove 20 587 click 1
wait_for Form2
# The first label's first letter comes from the installed skin: ink in the first glyph cell.
shot=$(mktemp -p "$work")
xwd -root -silent | xwdtopnm 2>/dev/null | pamcut -left 53 -top 286 -width 12 -height 12 | pnmnoraw > "$shot"
grep -q " 0 0 0 " "$shot" || fail "no letter drawn in the first glyph cell"

kill -TERM "$osyl"
status=0
wait "$osyl" || status=$?
[[ $status -eq 0 ]] || fail "exit status $status after SIGTERM"
echo "installed program ran and ended with 0"
