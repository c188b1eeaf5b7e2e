#!/usr/bin/env bash
# Installs what the browser needs (Debian's Chromium, Node.js, npm, and fonts with
# common metrics and with the symbols the guide's texts use, such as U+24E7) when
# missing, with apt-get; then the end-to-end tests' npm packages exactly as
# tests/e2e/package-lock.json pins them. npm downloads no browser: the tests drive
# /usr/bin/chromium. Run as root (or with sudo available).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# npm comes with some builds of Node.js; Debian's own Node.js needs Debian's npm.
extra=(chromium nodejs fonts-liberation fonts-dejavu-core fonts-symbola)
command -v npm >/dev/null || extra+=(npm)
"$root/scripts/setup.sh" "${extra[@]}"

# The npm packages, unless those installed already match the lock file.
cd "$root/tests/e2e"
if [ -d node_modules/playwright-core ] && [ node_modules/.package-lock.json -nt package-lock.json ]; then
  exit 0
fi
PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
