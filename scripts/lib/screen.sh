# Sourced. Looking at and clicking the launcher on an X display.

# The first visible window of process $1, within 20 seconds.
window_of_process() {
  local id
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# True when top-level window $1 lies above window $2 (xwininfo lists the
# root's children topmost first).
window_above() {
  local order first second
  order=$(xwininfo -root -children | awk '$1 ~ /^0x/ { print NR, $1 }')
  first=$(awk -v id="$(printf '0x%x' "$1")" '$2 == id { print $1 }' <<< "$order")
  second=$(awk -v id="$(printf '0x%x' "$2")" '$2 == id { print $1 }' <<< "$order")
  [ -n "$first" ] && [ -n "$second" ] && [ "$first" -lt "$second" ]
}

window_geometry() { xwininfo -id "$1" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'; }
window_position() {
  xwininfo -id "$1" | awk '/Absolute upper-left X:/{x=$4} /Absolute upper-left Y:/{y=$4} END{print x "," y}'
}

# The pixel at $2, $3 of picture $1 as "r g b".
pixel() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- |
    sed -n 2p | sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/'
}

# The window-relative row of the first yellow ("Play") pixel in column $2 of
# the browser (design rows 164 to 567), searched in screenshot $1 of a window
# at $3, $4 shown at 96 DPI.
first_play_row() {
  local file=$1 column=$2 x=$3 y=$4
  convert "$file" -crop "1x403+$((x + column))+$((y + 164))" -depth 8 txt:- |
    sed -nE 's/^0,([0-9]+): \(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3 \4/p' |
    awk '$2 > 230 && $3 > 160 && $4 < 110 { print $1 + 164; exit }'
}

click_at() { xdotool mousemove --sync "$1" "$2" click 1; }
