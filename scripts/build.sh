#!/usr/bin/env bash
# Configures and builds the project into build/ (dependencies installed first). Arguments go to
# CMake's configuration, e.g. -DBCF_TESTCASES_DIR=... -DBCF_XSD_DIR=... (cmake/TestData.cmake).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Paths below the checkout hashed relative to it: a second checkout reuses the same cache entries.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=true
cmake -S "$root" -B "$root/build" -DBCF_BUILD_UI=ON -DBCF_WERROR=$werror "${launcher[@]}" "$@" >/dev/null
cmake --build "$root/build" -j"$(nproc)"
