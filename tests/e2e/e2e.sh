#!/usr/bin/env bash
# The installed program as a user meets it: installs the build into a temporary root, starts the
# installed launcher from another folder, opens a game through the menu, scrambles (F2), solves with
# our engine (F7), plays the answer (F9) and checks through screenshots that the cube is solved
# again. Usage: e2e.sh <build folder> <work folder>; needs a display.
set -euo pipefail
BUILD=$1
WORK=$2
rm -rf "$WORK"
mkdir -p "$WORK"
DESTDIR="$WORK/root" cmake --install "$BUILD" --prefix /usr > "$WORK/install.log"
PROGRAM="$WORK/root/usr/bin/torvane"
[ -L "$PROGRAM" ] || { echo "no launcher link at $PROGRAM"; exit 1; }
# Without the host beside the program, no engine can run.
HOST="$WORK/root/usr/lib/torvane/torvane-engine-host"
[ -x "$HOST" ] || { echo "no engine host at $HOST"; exit 1; }

export XDG_CONFIG_HOME="$WORK/config"
cd "$WORK" # not the program folder: the program must find its own files
# Nothing set for the web engine: the program must run as root, with nothing exported, by itself.
env -u QTWEBENGINE_DISABLE_SANDBOX "$PROGRAM" > "$WORK/program.log" 2>&1 &
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
# Room for a game at its own size: a 600 by 600 cube with the bar below it.
xdotool windowsize "$WID" 1000 900 windowmove "$WID" 0 0
sleep 0.5

# Game > New Game > Rubik's Cube, with the mouse on the menu bar and the keyboard in the menus.
xdotool mousemove --window "$WID" 20 10 click 1
sleep 0.5
xdotool key Down Right Return
sleep 3
xdotool mousemove 990 790 # away from the cube
xdotool windowfocus "$WID" || true

# The part of the screen the game's cube is drawn in (the game window sits at the workspace's corner).
shot() { import -window root -crop 600x600+4+43 +repage "$WORK/$1.png"; }
differing() { compare -metric AE -fuzz 8% "$WORK/$1.png" "$WORK/$2.png" null: 2>&1 || true; }

# The sticker centres of the two faces the standard view shows large: front, then top.
FRONT="264,276 356,262 439,249 266,366 353,349 433,333 268,448 351,428 427,410"
TOP="194,172 269,165 344,158 217,190 300,182 375,174 247,214 337,203 418,194"
# The hue of a sticker in degrees, or "grey" for white, or "none" where no sticker shows. Shading
# dims a sticker (the top face's far corner to under a third) but keeps its hue: judged by hue, a
# dim green is still green. The mean of 5 by 5 pixels around the centre rides over single pixels.
hue() {
  local x=${2%,*} y=${2#*,} rgb r g b max min c
  rgb=$(convert "$WORK/$1.png" -crop "5x5+$((x - 2))+$((y - 2))" +repage -scale '1x1!' \
    -format "%[fx:int(255*r+0.5)],%[fx:int(255*g+0.5)],%[fx:int(255*b+0.5)]" info:)
  IFS=, read -r r g b <<< "$rgb"
  max=$(( r > g ? (r > b ? r : b) : (g > b ? g : b) ))
  min=$(( r < g ? (r < b ? r : b) : (g < b ? g : b) ))
  c=$(( max - min ))
  if (( max < 20 )); then echo none
  elif (( c * 100 < max * 30 )); then echo grey
  elif (( max == r )); then echo $(( (60 * (g - b) / c + 360) % 360 ))
  elif (( max == g )); then echo $(( 60 * (b - r) / c + 120 ))
  else echo $(( 60 * (r - g) / c + 240 )); fi
}
# Whether both faces show one colour each: every sticker of a face within 12 degrees of hue of the
# face's first one (the closest of our colours, red and orange, lie 30 degrees apart), or all white.
# Then the cube is solved, however it is turned as a whole (a scramble turns inner slices too, so
# the solved cube may be held another way up).
uniform() {
  local face p first h d
  for face in "$FRONT" "$TOP"; do
    first=""
    for p in $face; do
      h=$(hue "$1" "$p")
      [ "$h" = none ] && return 1
      [ -z "$first" ] && first=$h
      if [ "$h" = grey ] || [ "$first" = grey ]; then
        [ "$h" = "$first" ] || return 1
      else
        d=$(( h > first ? h - first : first - h ))
        (( d > 180 )) && d=$(( 360 - d ))
        (( d <= 12 )) || return 1
      fi
    done
  done
  return 0
}

xdotool key F7 # the clean cube: "solved already", and the bar takes its place below the cube
sleep 2
shot clean
uniform clean || fail "the new game's cube does not look clean"
xdotool key F2
sleep 2
xdotool key F7
sleep 3
shot scrambled
[ "$(differing clean scrambled)" -gt 5000 ] || fail "F2 did not scramble the cube"
uniform scrambled && fail "the scrambled cube looks solved"

xdotool key F9
solved=""
for _ in $(seq 1 60); do
  sleep 2
  shot played
  if uniform played; then
    solved=yes
    break
  fi
done
import -window root "$WORK/e2e.png"
[ -n "$solved" ] || fail "the cube is not solved after playing the answer"
grep -q "Cannot" "$WORK/program.log" && fail "the program reported a missing file"
echo "e2e: scrambled, solved and played back to a solved cube; screenshot $WORK/e2e.png"
