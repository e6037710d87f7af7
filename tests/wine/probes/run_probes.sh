#!/usr/bin/env bash
# Builds and runs, on their own, the probes the Wine stage runs (probes.sh): the
# simulated platform and the maintenance pass's shortcuts against the real profile and
# file functions under wine64, in a console prefix kept under build/win64/.
# Usage: tests/wine/probes/run_probes.sh
set -euo pipefail
cd "$(dirname "$0")/../../.."
build=$(pwd)/build/win64
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target profile_table_probe file_functions_probe record_index_probe \
    file_size_query_probe >/dev/null
. tests/wine/wine_env.sh
. tests/wine/probes/probes.sh
wine_env_console "$build/probe-prefix"
mkdir -p "$build/probe-work"
probes_run "$build/tests/wine" "$build/probe-work"
