#!/usr/bin/env bash
# Installs the Debian packages the project needs, and any packages named as
# arguments, skipping those already present. Run as root on Debian 12 (or with sudo
# available).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config   # compiler and build
  libplist-dev                                   # parsing XML property lists
  libpng-dev                                     # reading PNG pictures and icons
  zlib1g-dev                                     # CRC-32 in the property-list tests (libpng needs it too)
  libicu-dev                                     # Unicode case mapping and string comparison
  nlohmann-json3-dev                             # the simulator's JSON (dump, expect, web API)
  libboost-dev                                   # the simulator's web server: Boost.Beast and Asio (kavro-sim serve)
  libgtest-dev libgmock-dev googletest           # unit tests
  libbenchmark-dev                               # benchmarks
  python3                                        # plistlib, the property-list tests' independent peer
  gnustep-base-runtime                           # GNUstep's plser, an independent reader of old-style text for the tests
  clang libclang-rt-14-dev                       # the property-list fuzzer (libFuzzer, sanitizers)
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
run_as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: run as root to install ${missing[*]}" >&2; exit 1; }
  run_as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${run_as_root[@]}" apt-get update -qq
"${run_as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
