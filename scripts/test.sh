#!/usr/bin/env bash
# Every test: the native suite, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, the built 32-bit DLL inspected, the 64-bit build of the
# same code run end to end under wine64 with the database tool, the 32-bit DLL itself
# run under the emulated 32-bit Wine, the release checked, and a short fuzzing run.
# Installs what it needs first. Every stage runs, or the command fails: none is left out
# because its script is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
stage() { printf '\n==== %s\n' "$*"; }

stage "native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native -j"$jobs"

stage "native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset native-asan >/dev/null
cmake --build --preset native-asan -j"$jobs"
ctest --preset native-asan -j"$jobs"

stage "win32: the product DLL"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs"
bash tests/dll/check_dll.sh build/win32/gen_loudmark.dll

stage "win64: the same code end to end under wine64"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j"$jobs"
bash tests/wine/run.sh

stage "win64: loudmark-db, the database tool, under wine64"
bash tests/tool/run_wine.sh

# The emulated 32-bit Wine: about a minute to start the host, minutes more the first time
# (the prefix). Fails, rather than skips, when the 32-bit platform is missing.
stage "win32: the product DLL run for real under 32-bit Wine (emulated)"
bash tests/wine/run32.sh

stage "the release: the zip and the installer, a 64-bit copy of it run under wine64"
bash tests/installer/check_installer.sh --deps-checked

stage "fuzzing, a short run over the kept corpus"
bash scripts/fuzz-smoke.sh

stage "all tests passed"
