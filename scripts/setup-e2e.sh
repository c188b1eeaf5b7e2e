#!/usr/bin/env bash
# Installs what the browser needs (Debian's Chromium, Node.js, npm, and fonts with
# common metrics and with the symbols the guide's texts use, such as U+24E7) when
# missing, with apt-get; then the end-to-end tests' npm packages exactly as
# tests/e2e/package-lock.json pins them. npm downloads no browser: the tests drive
# /usr/bin/chromium. Run as root (or with sudo available).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

packages=(chromium nodejs fonts-liberation fonts-dejavu-core fonts-symbola)
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
# npm comes with some builds of Node.js; Debian's own Node.js needs Debian's npm.
command -v npm >/dev/null || missing+=(npm)

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  run_as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "setup-e2e: run as root to install ${missing[*]}" >&2; exit 1; }
    run_as_root=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${run_as_root[@]}" apt-get update -qq
  "${run_as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The npm packages, unless those installed already match the lock file.
cd "$root/tests/e2e"
if [ -d node_modules/playwright-core ] && [ node_modules/.package-lock.json -nt package-lock.json ]; then
  exit 0
fi
PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
