#!/usr/bin/env bash
# Builds and installs each Windows target into build/install/<preset> and
# packs it as build/dist/REDudi-<version>-<target>.zip (DLL, import library,
# tools, headers, CMake package, pkg-config file, README and license).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$REDUDI_ROOT"
ensure_packages

version=$(sed -n 's/^project(REDudi VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
mkdir -p build/dist
for preset in windows-x64 windows-x86; do
    build_preset "$preset" >/dev/null
    prefix="$REDUDI_ROOT/build/install/$preset"
    rm -rf "$prefix"
    cmake --install "build/$preset" --prefix "$prefix" >/dev/null
    if [ -d build/docs/html ]; then
        mkdir -p "$prefix/share/doc/REDudi"
        cp -r build/docs/html "$prefix/share/doc/REDudi/"
    fi
    archive="$REDUDI_ROOT/build/dist/REDudi-$version-$preset.zip"
    rm -f "$archive"
    (cd "$prefix" && zip -qr "$archive" .)
    echo "$archive"
done
