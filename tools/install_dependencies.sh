#!/usr/bin/env bash
# Installs the Debian packages that a purpose needs: `play` (the programs), `test` (the
# tests and benchmarks, their browser included) or `ci` (everything CI checks). As root, or
# through sudo when it asks no password; otherwise it names what is missing and fails, so a
# build never goes on quietly without a part.
set -euo pipefail

purpose=${1:-play}
play=(cmake make g++ nlohmann-json3-dev libcpp-httplib-dev)
test=("${play[@]}" ninja-build libgtest-dev libgmock-dev libbenchmark-dev chromium)
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

missing=()
for package in "${wanted[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
((${#missing[@]})) || exit 0

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
