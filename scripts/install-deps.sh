#!/usr/bin/env bash
# What the Windows builds and the end-to-end stage need beyond g++, cmake, GoogleTest
# and Google Benchmark: the two mingw-w64 cross compilers (the -win32 thread model, so
# the DLL needs no winpthread), wine64 and a virtual display, and for the release zip,
# NSIS and 7-Zip (to look inside the installer). Runs apt only when something is missing.
set -euo pipefail

packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 xvfb xauth zip nsis p7zip-full)
# A command each package brings; present means nothing to install.
commands=(i686-w64-mingw32-g++-win32 x86_64-w64-mingw32-g++-win32 /usr/lib/wine/wine64 Xvfb xauth zip makensis 7z)

missing=()
for i in "${!packages[@]}"; do
    if ! command -v "${commands[$i]}" >/dev/null 2>&1; then missing+=("${packages[$i]}"); fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y "${missing[@]}"
