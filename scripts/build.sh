#!/usr/bin/env bash
# Configures and builds the project into build/ (dependencies installed first).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$root/build" -DBCF_BUILD_UI=ON -DBCF_WERROR=$werror "${launcher[@]}" >/dev/null
cmake --build "$root/build" -j"$(nproc)"
