#!/usr/bin/env bash
# Checks the release archives as a user of them would: unpacks each one,
# configures the consumer project in tests/consumer against it with
# find_package(REDudi), builds it with the target's MinGW toolchain and, for
# x86_64, runs it under Wine. Fails when the package is incomplete.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$REDUDI_ROOT"

version=$(sed -n 's/^project(REDudi VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for preset in windows-x64 windows-x86; do
    case $preset in
        windows-x64) toolchain=cmake/toolchains/mingw-x86_64.cmake ;;
        windows-x86) toolchain=cmake/toolchains/mingw-i686.cmake ;;
    esac
    work="$REDUDI_ROOT/build/consumer/$preset"
    rm -rf "$work"
    mkdir -p "$work/unpacked"
    unzip -q "build/dist/REDudi-$version-$preset.zip" -d "$work/unpacked"
    for file in bin/REDudi.dll lib/libREDudi.dll.a include/REDudi/strings.h \
                lib/cmake/REDudi/REDudiConfig.cmake lib/pkgconfig/REDudi.pc \
                share/doc/REDudi/LICENSE; do
        [ -e "$work/unpacked/$file" ] || { echo "package $preset lacks $file" >&2; exit 1; }
    done
    if grep -rq "$REDUDI_ROOT" "$work/unpacked/lib/cmake" "$work/unpacked/lib/pkgconfig"; then
        echo "package $preset names the source tree in its CMake or pkg-config files" >&2
        exit 1
    fi
    cmake -S tests/consumer -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$REDUDI_ROOT/$toolchain" \
        -DCMAKE_PREFIX_PATH="$work/unpacked" >/dev/null
    cmake --build "$work/build" | grep -v "^\[" || true
    [ -f "$work/build/redudi-consumer.exe" ] || { echo "consumer did not build against the $preset package" >&2; exit 1; }
    echo "consumer built against the $preset package"
done

# Run the x86_64 consumer beside the unpacked DLL, as an application ships.
work="$REDUDI_ROOT/build/consumer/windows-x64"
cp "$work/unpacked/bin/"*.dll "$work/build/"
"$REDUDI_ROOT/build/windows-x64/wine-run.sh" "$work/build/redudi-consumer.exe"
