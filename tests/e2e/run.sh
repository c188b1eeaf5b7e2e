#!/usr/bin/env bash
# Runs the end-to-end tests in Debian's Chromium: each tests/e2e/*.test.js against
# a `kavro-sim serve` of its own (a new temporary device, any free port). The
# files run a few at a time, since they spend most of their time waiting for the
# phone's animations; the file that measures frame rates and latency runs last,
# alone, so that its figures are the page's and not its neighbours'. Builds nothing.
#   tests/e2e/run.sh PATH/TO/kavro-sim
#   KAVRO_E2E_JOBS=1 tests/e2e/run.sh …   one file at a time
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
simulator=${1:-${KAVRO_SIM:-}}
if [ -z "$simulator" ] || [ ! -x "$simulator" ]; then
  echo "usage: $0 PATH/TO/kavro-sim (build it first)" >&2
  exit 2
fi
# Absolute: the tests run from this folder, and some start servers of their own.
simulator=$(cd "$(dirname "$simulator")" && pwd)/$(basename "$simulator")
for tool in node /usr/bin/chromium; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool is missing: run scripts/setup-e2e.sh" >&2; exit 2; }
done
[ -d "$here/node_modules/playwright-core" ] || { echo "e2e: playwright-core is missing: run scripts/setup-e2e.sh" >&2; exit 2; }
jobs=${KAVRO_E2E_JOBS:-3}
measuring=live.test.js

work=$(mktemp -d "${TMPDIR:-/tmp}/kavro-e2e.XXXXXX")
cleanup() {
  # Whatever is still running (a failed or interrupted run) goes with the folder.
  local pids
  pids=$(jobs -p) || true
  [ -z "$pids" ] || kill $pids 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Runs one test file against a server of its own; its output goes to
# $work/NAME.log, and the status says whether the tests and the server's own
# exit were both clean.
run_file() {
  local file=$1 name
  name=$(basename "$file" .test.js)
  local dir="$work/$name" log="$work/$name.log"
  mkdir -p "$dir"
  "$simulator" serve --device "$dir/device" --port 0 >"$dir/serve.out" 2>"$dir/serve.err" &
  local server=$! url=""
  # The server prints its address once it listens.
  for _ in $(seq 1 300); do
    url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$dir/serve.out" 2>/dev/null | head -n 1 || true)
    [ -n "$url" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$url" ]; then
    { echo "e2e: $name: kavro-sim serve did not start listening:"; cat "$dir/serve.err"; } >"$log"
    kill "$server" 2>/dev/null || true
    return 1
  fi
  local status=0
  (cd "$here" && KAVRO_URL="$url" KAVRO_SERVER_PID="$server" KAVRO_SIM="$simulator" node --test "$file") >"$log" 2>&1 || status=$?
  # The server must stop cleanly when asked (a sanitizer build reports its
  # findings through the exit status here).
  kill "$server"
  local server_status=0
  wait "$server" || server_status=$?
  if [ "$server_status" -ne 0 ]; then
    echo "e2e: $name: kavro-sim serve exited with status $server_status" >>"$log"
    status=1
  fi
  if [ "$status" -ne 0 ]; then
    { echo "e2e: $name: the server's messages:"; tail -n 40 "$dir/serve.err"; } >>"$log"
  fi
  return "$status"
}

files=()
for file in "$here"/*.test.js; do
  [ "$(basename "$file")" = "$measuring" ] || files+=("$file")
done

status=0
declare -A running=()
finish_one() {
  local done_pid
  wait -n -p done_pid "${!running[@]}" || status=1
  unset "running[$done_pid]"
}
for file in "${files[@]}"; do
  while [ "${#running[@]}" -ge "$jobs" ]; do finish_one; done
  run_file "$file" &
  running[$!]=$file
done
while [ "${#running[@]}" -gt 0 ]; do finish_one; done
if [ -f "$here/$measuring" ]; then
  run_file "$here/$measuring" || status=1
fi

for file in "${files[@]}" "$here/$measuring"; do
  log="$work/$(basename "$file" .test.js).log"
  [ -f "$log" ] && cat "$log"
done
exit "$status"
