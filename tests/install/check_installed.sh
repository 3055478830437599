#!/usr/bin/env bash
# check_installed.sh STEP BUILD WORK LIBDIR ARCHIVE. install: BUILD into WORK/staged, moved to
# WORK/prefix (relocatable), compared with installed_files.txt; the other steps use WORK/prefix.
set -euo pipefail
step=$1 build=$2 work=$3 libdir=$4 archive=$5 here=$(cd "$(dirname "$0")" && pwd)
prefix=$work/prefix example=$here/../../examples/minimal-host
case $step in
install)
    rm -rf "$work" && cmake --install "$build" --prefix "$work/staged" >/dev/null
    mv "$work/staged" "$prefix" && cd "$prefix"
    diff <(sed "s|LIBDIR|$libdir|" "$here/installed_files.txt") \
         <(find . ! -type d -printf '%y %p\n' | sed 's/Targets-.*\.cmake/Targets-CONFIG.cmake/' | LC_ALL=C sort -k2) ;;
exports) cmake -DLIBRARY="$prefix/$libdir/libBcfQtUi.so" -DNM=nm -P "$here/../embed/check_exports.cmake" ;;
cmake) # the example host, built with find_package, opens the archive and adds a viewpoint
    cmake -S "$example" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
    cmake --build "$work/cmake" >/dev/null && "$work/cmake/minimal-bcf-host" 300 "$archive" ;;
pkgconfig)
    # pkg-config escapes spaces in the paths it prints with backslashes, as a shell reads them
    flags=$(PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig pkg-config --cflags --libs BcfQtUi)
    eval "c++ -std=c++17 -fPIC \"\$example/main.cpp\" -o \"\$work/pc-host\" $flags"
    LD_LIBRARY_PATH=$prefix/$libdir "$work/pc-host" 300 "$archive" ;;
tools) # bcf validate finds the schemas of the installed tree (exit 1: the archive has a finding),
    # bcf report its program in libexec
    "$prefix/bin/bcf" info "$archive" >"$work/info.json" && grep -q '"markups"' "$work/info.json"
    "$prefix/bin/bcf" report "$archive" "$work/report.csv" && test -s "$work/report.csv"
    status=0 && "$prefix/bin/bcf" validate "$archive" >"$work/validate.txt" || status=$?
    [ "$status" -eq 1 ] && grep -q 'extension-value' "$work/validate.txt"
    "$prefix/bin/bcf-host" --open "$archive" --select-first --new-snapshot --screenshot "$work/host.png"
    test -s "$work/host.png" ;;
esac
