#!/usr/bin/env bash
# Installs the Debian packages that a purpose needs: `play` (the programs), `test` (the
# tests and benchmarks, their browser included) or `ci` (everything CI checks). As root, or
# through sudo when it asks no password; otherwise it names what is missing and fails, so a
# build never goes on quietly without a part.
set -euo pipefail
cd "$(dirname "$0")/.."

purpose=${1:-play}
play=(cmake make g++ nlohmann-json3-dev libcpp-httplib-dev)
test=("${play[@]}" ninja-build libgtest-dev libgmock-dev libbenchmark-dev chromium)
# The browser tests run on node; a machine that has it from elsewhere keeps its own.
command -v node >/dev/null 2>&1 || test+=(nodejs npm)
ci=("${test[@]}" clang libclang-rt-14-dev
  # MPI, optional: the arena and the tuner spread over the ranks of a job.
  openmpi-bin libopenmpi-dev
  # The Windows build and its checks under wine, on a virtual screen.
  g++-mingw-w64-x86-64-posix googletest wine64 xvfb xdotool imagemagick)

case "$purpose" in
  play) wanted=("${play[@]}") ;;
  test) wanted=("${test[@]}") ;;
  ci) wanted=("${ci[@]}") ;;
  *)
    echo "usage: $0 play|test|ci" >&2
    exit 2
    ;;
esac

if ! command -v dpkg >/dev/null 2>&1; then
  echo "Not a Debian system: make sure these (or their equivalents) are installed: ${wanted[*]}" >&2
  exit 0
fi

# The browser tests' own packages, from the npm registry, as their lock file has them.
browser_packages() {
  [ "$purpose" = play ] && return 0
  [ -d tests/browser/node_modules/playwright-core ] && return 0
  echo "Installing the browser tests' packages (tests/browser)"
  npm ci --prefix tests/browser --no-audit --no-fund
}

missing=()
for package in "${wanted[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if ((${#missing[@]} == 0)); then
  browser_packages
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  sudo=(sudo)
else
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them as root: apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
browser_packages
