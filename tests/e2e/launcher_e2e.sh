#!/usr/bin/env bash
# The launcher under a bare X server: started from a scratch directory next to
# a demo site served on loopback, driven with xdotool, checked through window
# geometry, the files it and the demo client write, and the server's request
# log. Run by scripts/e2e-linux inside xvfb-run.
# Not -e: every check runs, and the failures are counted.
set -uo pipefail
cd "$(dirname "$0")/../.."
source scripts/lib/site-server.sh
source scripts/lib/screen.sh
bin=$PWD/build/native/bin
shots=$PWD/build/native/screenshots
scratch=$(mktemp -d /tmp/qelt-e2e.XXXXXX)
mkdir -p "$shots"

site_server=
signed_server=
launcher=
cleanup() {
  [ -n "$launcher" ] && kill "$launcher" 2>/dev/null || true
  [ -n "$site_server" ] && kill "$site_server" 2>/dev/null || true
  [ -n "$signed_server" ] && kill "$signed_server" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

failures=0
pass() { echo "ok   - $*"; }
fail() { echo "FAIL - $*"; failures=$((failures + 1)); }
check() {
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; return 1; fi
}

# --- the demo site, sending the package slowly enough to watch ------------
mkdir -p "$scratch/site"
start_site_server "$bin/micro-pkg" "$scratch/site" "$scratch/server.txt" \
  --log "$scratch/requests.log" --rate 262144 || exit 1
base=$site_base
MICRO_PKG=$bin/micro-pkg demo/make-site "$scratch/site" "$base" 1536
requests() { grep -c "$1" "$scratch/requests.log" 2>/dev/null || true; }

# --- helpers ---------------------------------------------------------------
# A launcher copy in its own directory; $2 false leaves out the configuration.
stage() {
  local dir=$scratch/$1
  mkdir -p "$dir/home"
  cp "$bin/launcher" "$dir/launcher"
  if [ "${2:-true}" = true ]; then
    cat > "$dir/launcher.json" <<JSON
{"ver_url": "$base/pkg.json", "nested_page": "$base/index.html", "login_url": "$base/login?"}
JSON
  fi
}

start() {
  local dir=$scratch/$1
  (cd "$dir" && HOME="$dir/home" QELT_DEMO_RECORD="$dir/launched.txt" \
     exec ./launcher > "$dir/trace.txt" 2> "$dir/errors.txt") &
  launcher=$!
}

window_of() { window_of_process "$launcher"; }
geometry() { window_geometry "$1"; }
position() { window_position "$1"; }

# True when the launcher has ended within $1 seconds.
ended_within() {
  for _ in $(seq $(($1 * 10))); do
    kill -0 "$launcher" 2>/dev/null || { wait "$launcher" 2>/dev/null || true; launcher=; return 0; }
    sleep 0.1
  done
  return 1
}
alive() { kill -0 "$launcher" 2>/dev/null; }

stop() {
  [ -n "$launcher" ] || return 0
  kill "$launcher" 2>/dev/null || true
  wait "$launcher" 2>/dev/null || true
  launcher=
}

# True once the shell condition $2 holds, tried every tenth of a second for
# $1 seconds; the condition is evaluated anew each time.
wait_for() {
  local seconds=$1 condition=$2
  for _ in $(seq $((seconds * 10))); do eval "$condition" && return 0; sleep 0.1; done
  return 1
}

shot() { import -window root "$shots/$1.png"; }

yellowish() { local r g b; read -r r g b <<< "$(pixel "$@")"; [ "$r" -gt 200 ] && [ "$g" -gt 120 ] && [ "$b" -lt 140 ]; }

# Pinkish pixels (strong red and blue, weaker green) in the status line's box;
# the text's antialiased strokes keep well within these bounds.
pink_pixels() {
  local file=$1 x=$2 y=$3
  convert "$file" -crop "261x23+$((x + 582))+$((y + 612))" -depth 8 txt:- |
    sed -nE 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/p' |
    awk '$1 > 150 && $3 > 150 && $1 - $2 > 50 { n++ } END { print n + 0 }'
}


file_has() { [ -f "$1" ] && grep -q "$2" "$1"; }
not() { ! "$@"; }

# --- a missing configuration shows only the message box ---------------------
stage missing false
start missing
if id=$(window_of); then
  check "missing configuration: a box captioned 提示" test "$(xdotool getwindowname "$id")" = "提示"
  check "missing configuration: no launcher window" \
    test "$(xdotool search --onlyvisible --pid "$launcher" | wc -l)" -eq 1
  shot missing-config
  xdotool windowfocus --sync "$id" key Return
  check "missing configuration: OK ends the launcher" ended_within 5
else
  fail "missing configuration: no message box"
fi
check "missing configuration: nothing written" test ! -e "$scratch/missing/micro"
stop

# --- first start: downloads and installs the client with the progress bar --
stage first
start first
if id=$(window_of); then
  check "96 DPI: the window measures 1200 x 700" test "$(geometry "$id")" = 1200x700
  check "the window is centred on the screen" test "$(position "$id")" = 360,250
  check "the package download started" wait_for 15 'test "$(requests "GET /GameClient.zip")" -gt 0'
  sleep 2
  shot updating
  check "while downloading the progress bar shows" yellowish "$shots/updating.png" $((360 + 424)) $((250 + 602))
  check "while downloading the status line shows" test "$(pink_pixels "$shots/updating.png" 360 250)" -gt 60
  check "the client is installed" wait_for 30 'test -f "$scratch/first/micro/pkg.json"'
  check "the manifest kept is the served one" cmp -s "$scratch/first/micro/pkg.json" "$scratch/site/pkg.json"
  check "the demo client is unpacked" test -f "$scratch/first/micro/GameClient/demo-client"
  check "the package is deleted after unpacking" test ! -e "$scratch/first/micro/GameClient.zip"
  sleep 1
  shot done
  check "the completion text shows" test "$(pink_pixels "$shots/done.png" 360 250)" -gt 60

  xdotool windowfocus --sync "$id" key Escape
  sleep 1
  check "Escape does nothing" alive
  xdotool windowfocus --sync "$id" key Return
  sleep 1
  check "Enter does nothing" alive

  before=$(requests 'GET /login')
  shot page
  row=$(first_play_row "$shots/page.png" 916 360 250)
  check "the page shows a Play button" test -n "$row"
  click_at $((360 + 916)) $((250 + ${row:-0} + 12))
  if check "Play starts the game client" wait_for 10 'test -s "$scratch/first/launched.txt"'; then
    expected=$(printf '%s\n' "$scratch/first/micro/GameClient/demo-client" 0 'server=1&token=abc')
    check "the client got exactly the login tail" test "$(cat "$scratch/first/launched.txt")" = "$expected"
  fi
  check "the launcher exits after the launch" ended_within 10
  check "the login page itself was never requested" test "$(requests 'GET /login')" -eq "$before"
else
  fail "first start: no window"
fi
stop

# --- second start with an unchanged manifest downloads no package ------------
packages=$(requests 'GET /GameClient.zip')
manifests=$(requests 'GET /pkg.json')
cp -r "$scratch/first/micro" "$scratch/second-micro"
stage second
mv "$scratch/second-micro" "$scratch/second/micro"
rm -f "$scratch/second/micro/GameClient/launched.txt"
start second
if id=$(window_of); then
  check "second start: the manifest is checked" wait_for 15 'test "$(requests "GET /pkg.json")" -gt "$manifests"'
  sleep 2
  check "second start: no package is downloaded" test "$(requests 'GET /GameClient.zip')" -eq "$packages"
  # A second launcher on the same folder brings this one's window to the
  # front and ends at once, writing nothing.
  xmessage -geometry 1000x600+300+200 "covers the launcher" & cover=$!
  cover_id=
  covered() { cover_id=$(xdotool search --onlyvisible --name '^xmessage$' 2>/dev/null | head -1); [ -n "$cover_id" ]; }
  if check "a window is put over the launcher" wait_for 5 covered; then
    check "the covering window is above the launcher" window_above "$cover_id" "$id"
    before=$(ls -lR --time-style=full-iso "$scratch/second/micro")
    (cd "$scratch/second" && HOME="$scratch/second/home" exec ./launcher > "$scratch/second-run.txt" 2>&1) &
    twin=$!
    check "a second launcher on the same folder ends at once" \
      wait_for 5 '! kill -0 "$twin" 2>/dev/null'
    check "the running launcher's window comes to the front" wait_for 5 'window_above "$id" "$cover_id"'
    check "the second launcher wrote nothing" test "$(ls -lR --time-style=full-iso "$scratch/second/micro")" = "$before"
  fi
  kill "$cover" 2>/dev/null; wait "$cover" 2>/dev/null
  shot idle
  check "an unchanged client leaves the status line blank" test "$(pink_pixels "$shots/idle.png" 360 250)" -eq 0
  # Clear cache: confirm, then the two plug-in caches are emptied.
  caches=$scratch/second/home/AppData/LocalLow
  mkdir -p "$caches/vandor/sub" "$caches/Unity/WebPlayer/Cache"
  echo x > "$caches/vandor/sub/a.dat"
  echo y > "$caches/Unity/WebPlayer/Cache/b.dat"
  click_at $((360 + 340 + 33)) $((250 + 545 + 11))
  boxes() { xdotool search --onlyvisible --name '^温馨提示$' 2>/dev/null | wc -l; }
  if check "clear cache asks first" wait_for 5 'test "$(boxes)" -eq 1'; then
    shot clear-cache-confirm
    check "nothing is deleted before the answer" test -f "$caches/vandor/sub/a.dat"
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^温馨提示$' | head -1)" key Return
    check "clear cache reports when done" wait_for 10 'test -z "$(find "$caches/vandor" -type f)"'
    check "clear cache empties the Unity cache" test -z "$(find "$caches/Unity/WebPlayer/Cache" -type f)"
    # As del /s on Windows: the files go, the folders stay.
    check "clear cache keeps the folders" test -d "$caches/Unity/WebPlayer/Cache" -a -d "$caches/vandor/sub"
    check "clear cache shows its result" wait_for 20 'test "$(boxes)" -eq 1'
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^温馨提示$' | head -1)" key Return
    check "the result box closes" wait_for 5 'test "$(boxes)" -eq 0'
  fi

  # Dragged by the picture outside the panel's controls.
  xdotool mousemove --sync $((360 + 200)) $((250 + 600)) mousedown 1
  for step in 1 2 3 4 5; do
    xdotool mousemove --sync $((360 + 200 + step * 10)) $((250 + 600 + step * 8))
  done
  xdotool mouseup 1
  check "dragging the picture moves the window" wait_for 3 'test "$(position "$id")" = 410,290'
  at=$(position "$id")
  click_at $((${at%,*} + 1010 + 22)) $((${at#*,} + 144 + 21))
  check "the close picture ends the launcher" ended_within 5
else
  fail "second start: no window"
fi
stop

# --- signed updates: a man in the middle is refused, a good update installs --
# A second site signed with a key made here, which the launcher trusts.
# Between starts the files served at the site's address are swapped, as a
# hostile network would swap them on the way.
signed_site=$scratch/signed-site
mkdir -p "$signed_site" "$scratch/keys" "$scratch/evil-client"
main_server=$site_server
start_site_server "$bin/micro-pkg" "$signed_site" "$scratch/signed-server.txt" \
  --log "$scratch/signed-requests.log" || exit 1
signed_base=$site_base
signed_server=$site_server
site_server=$main_server
"$bin/micro-pkg" keygen "$scratch/keys/release.pub" "$scratch/keys/release.key" >/dev/null
MICRO_PKG=$bin/micro-pkg demo/make-site "$scratch/genuine" "$signed_base" 256
"$bin/micro-pkg" sign "$scratch/keys/release.key" "$scratch/genuine/pkg.json" >/dev/null
cp demo/client/demo-client "$scratch/evil-client/evil-client"
"$bin/micro-pkg" build "$scratch/evil-client" --client-url "$signed_base/GameClient.zip" \
  --exe evil-client --out "$scratch/evil" >/dev/null
signed_requests() { grep -c "$1" "$scratch/signed-requests.log" 2>/dev/null || true; }
# serve_signed MANIFEST PACKAGE: each from "genuine" or "evil"; the signature
# is always the genuine one.
serve_signed() {
  cp "$scratch/genuine/index.html" "$scratch/genuine/pkg.json.minisig" "$signed_site/"
  cp "$scratch/$1/pkg.json" "$signed_site/pkg.json"
  cp "$scratch/$2/GameClient.zip" "$signed_site/GameClient.zip"
}
stage signed
cat > "$scratch/signed/launcher.json" <<JSON
{"ver_url": "$signed_base/pkg.json", "nested_page": "$signed_base/index.html",
 "login_url": "$signed_base/login?", "update_key": "$(tail -1 "$scratch/keys/release.pub")"}
JSON
# Clicks the page's first Play button once the page shows it (within 15 s);
# fails when it never does. The screenshot is saved as $1.
click_play() {
  local row=
  for _ in $(seq 30); do
    shot "$1"
    row=$(first_play_row "$shots/$1.png" 916 360 250)
    [ -n "$row" ] && break
    sleep 0.5
  done
  [ -n "$row" ] || return 1
  click_at $((360 + 916)) $((250 + row + 12))
}
client_started_within() { wait_for "$1" 'test -s "$scratch/signed/launched.txt"'; }

for attack in manifest package; do
  # The trace names why: a signature that does not verify, a package of
  # another size.
  if [ "$attack" = manifest ]; then
    serve_signed evil evil
    refusal=更新信息校验失败
  else
    serve_signed genuine evil
    refusal=更新包大小不符
  fi
  packages=$(signed_requests "GET /GameClient.zip")
  start signed
  if id=$(window_of); then
    check "$attack swapped: the update is refused" \
      wait_for 15 'file_has "$scratch/signed/trace.txt" "$refusal"'
    if [ "$attack" = manifest ]; then
      check "$attack swapped: no package is fetched" \
        test "$(signed_requests 'GET /GameClient.zip')" -eq "$packages"
    fi
    check "$attack swapped: the page shows Play" click_play "mitm-$attack"
    check "$attack swapped: Play starts nothing" not client_started_within 5
    check "$attack swapped: the launcher stays open" alive
    check "$attack swapped: nothing is unpacked" test ! -e "$scratch/signed/micro/GameClient/evil-client"
    check "$attack swapped: no manifest is recorded" test ! -e "$scratch/signed/micro/pkg.json"
    check "$attack swapped: no package is left" test ! -e "$scratch/signed/micro/GameClient.zip"
  else
    fail "$attack swapped: no window"
  fi
  stop
done

serve_signed genuine genuine
rm -f "$scratch/signed/launched.txt"
start signed
if id=$(window_of); then
  check "signed: the genuine update installs" wait_for 30 'test -f "$scratch/signed/micro/pkg.json"'
  check "signed: the manifest kept is the signed one" \
    cmp -s "$scratch/signed/micro/pkg.json" "$scratch/genuine/pkg.json"
  check "signed: the trace does not warn of unverified updates" \
    not file_has "$scratch/signed/trace.txt" update_key
  check "signed: the page shows Play" click_play signed-play
  if check "signed: Play starts the genuine client" client_started_within 10; then
    check "signed: the started client is the genuine one" \
      test "$(head -1 "$scratch/signed/launched.txt")" = "$scratch/signed/micro/GameClient/demo-client"
  fi
else
  fail "signed: no window"
fi
stop
check "unsigned sites: the trace says updates are not verified, once" \
  test "$(grep -c update_key "$scratch/first/trace.txt")" -eq 1
kill "$signed_server" 2>/dev/null || true
signed_server=

# --- 120 DPI --------------------------------------------------------------------
echo "Xft.dpi: 120" | xrdb -nocpp -merge
stage dpi120
start dpi120
if id=$(window_of); then
  check "120 DPI: the window measures 1500 x 875" test "$(geometry "$id")" = 1500x875
  check "120 DPI: the window is centred on the screen" test "$(position "$id")" = 210,162
  sleep 1
  shot dpi120
else
  fail "120 DPI: no window"
fi
stop
echo "Xft.dpi: 96" | xrdb -nocpp -merge

echo "screenshots in $shots"
if [ "$failures" -gt 0 ]; then
  echo "e2e: $failures check(s) failed"
  exit 1
fi
echo "e2e: all checks passed"
