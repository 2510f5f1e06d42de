#!/usr/bin/env bash
# The installed program as a user meets it: installs the build into a temporary root, starts the
# installed launcher from another folder, opens a game through the menu, scrambles (F2), solves with
# our engine (F7), plays the answer (F9) and checks through screenshots that the cube looks clean
# again. Usage: e2e.sh <build folder> <work folder>; needs a display.
set -euo pipefail
BUILD=$1
WORK=$2
rm -rf "$WORK"
mkdir -p "$WORK"
DESTDIR="$WORK/root" cmake --install "$BUILD" --prefix /usr > "$WORK/install.log"
PROGRAM="$WORK/root/usr/bin/torvane"
[ -L "$PROGRAM" ] || { echo "no launcher link at $PROGRAM"; exit 1; }

export XDG_CONFIG_HOME="$WORK/config"
cd "$WORK" # not the program folder: the program must find its own files
"$PROGRAM" > "$WORK/program.log" 2>&1 &
PID=$!
trap 'kill $PID 2>/dev/null || true' EXIT

fail() {
  echo "e2e: $*"
  import -window root "$WORK/failure.png" || true
  tail -20 "$WORK/program.log"
  exit 1
}

WID=""
for _ in $(seq 1 100); do
  WID=$(xdotool search --name '^3D Torvane$' 2>/dev/null | head -1 || true)
  [ -n "$WID" ] && break
  sleep 0.2
done
[ -n "$WID" ] || fail "the main window did not appear"
sleep 2
xdotool windowsize "$WID" 1000 800 windowmove "$WID" 0 0
sleep 0.5

# Game > New Game > Rubik's Cube, with the mouse on the menu bar and the keyboard in the menus.
xdotool mousemove --window "$WID" 20 10 click 1
sleep 0.5
xdotool key Down Right Return
sleep 3
xdotool mousemove 990 790 # away from the cube
xdotool windowfocus "$WID" || true

# The part of the screen the game's cube is drawn in (the game window sits at the workspace's corner).
shot() { import -window root -crop 560x440+10+50 +repage "$WORK/$1.png"; }
differing() { compare -metric AE -fuzz 8% "$WORK/$1.png" "$WORK/$2.png" null: 2>&1 || true; }

xdotool key F7 # the clean cube: "solved already", and the bar takes its place below the cube
sleep 2
shot clean
xdotool key F2
sleep 2
xdotool key F7
sleep 3
shot scrambled
[ "$(differing clean scrambled)" -gt 5000 ] || fail "F2 did not scramble the cube"

xdotool key F9
solved=""
for _ in $(seq 1 60); do
  sleep 2
  shot played
  if [ "$(differing clean played)" -lt 200 ]; then
    solved=yes
    break
  fi
done
import -window root "$WORK/e2e.png"
[ -n "$solved" ] || fail "the cube is not clean after playing the answer ($(differing clean played) pixels differ)"
grep -q "Cannot" "$WORK/program.log" && fail "the program reported a missing file"
echo "e2e: scrambled, solved and played back to clean; screenshot $WORK/e2e.png"
