#!/usr/bin/env bash
# Runs the end-to-end tests: starts `kavro-sim serve` on a free port with a new
# temporary device, runs every tests/e2e/*.test.js against it in Debian's Chromium,
# and stops the server. Builds nothing.
#   tests/e2e/run.sh PATH/TO/kavro-sim
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

work=$(mktemp -d "${TMPDIR:-/tmp}/kavro-e2e.XXXXXX")
server=""
stop_server() {
  if [ -n "$server" ] && kill -0 "$server" 2>/dev/null; then
    kill "$server"
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap stop_server EXIT

"$simulator" serve --device "$work/device" --port 0 >"$work/serve.out" 2>"$work/serve.err" &
server=$!

# The server prints its address once it listens (port 0: any free port).
url=""
for _ in $(seq 1 300); do
  url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$work/serve.out" 2>/dev/null | head -n 1 || true)
  [ -n "$url" ] && break
  if ! kill -0 "$server" 2>/dev/null; then
    echo "e2e: kavro-sim serve stopped before listening:" >&2
    cat "$work/serve.err" >&2
    exit 1
  fi
  sleep 0.1
done
[ -n "$url" ] || { echo "e2e: kavro-sim serve did not start listening within 30 s" >&2; exit 1; }

# One file after the other: they share the device, and each expects the screen
# it leaves to stay as it left it while it runs.
cd "$here"
status=0
for file in ./*.test.js; do
  KAVRO_URL="$url" KAVRO_SERVER_PID="$server" KAVRO_SIM="$simulator" node --test "$file" || status=$?
done
# The server must stop cleanly when asked (a sanitizer build reports its findings
# through the exit status here).
kill "$server"
server_status=0
wait "$server" || server_status=$?
server=""
if [ "$server_status" -ne 0 ]; then
  echo "e2e: kavro-sim serve exited with status $server_status" >&2
  status=1
fi
if [ "$status" -ne 0 ]; then
  echo "e2e: the server's messages:" >&2
  tail -n 40 "$work/serve.err" >&2
fi
exit "$status"
