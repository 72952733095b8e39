# Sourced. start_site_server TOOL DIR OUTPUT [serve options...] runs
# `TOOL serve DIR` on a free loopback port in the background, its output in
# OUTPUT, and sets site_server (its pid) and site_base (http://127.0.0.1:PORT)
# once it listens. Fails when it does not listen within ten seconds.
start_site_server() {
  local tool=$1 dir=$2 output=$3
  shift 3
  "$tool" serve "$dir" "$@" > "$output" 2>&1 &
  site_server=$!
  site_base=
  for _ in $(seq 100); do
    site_base=$(grep -o 'http://127\.0\.0\.1:[0-9]*' "$output" 2>/dev/null | head -1 || true)
    [ -n "$site_base" ] && return 0
    kill -0 "$site_server" 2>/dev/null || break
    sleep 0.1
  done
  echo "site server did not start: $(cat "$output" 2>/dev/null)" >&2
  return 1
}
