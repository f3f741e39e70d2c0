#!/usr/bin/env bash
# Files and paths: appending relative paths at 1 KB, 16 KB and 256 KB
# (native, against the literal repeated substitution), then recursive listing
# and copy of a 2,000-file tree through the file manager under Wine, against
# a plain Win32 loop and std::filesystem.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$REDUDI_ROOT"
ensure_packages
build_preset bench path_normalisation_bench
build_preset windows-x64 file_tree_bench
status=0
build/bench/bin/path_normalisation_bench || status=1
start_wine
"$REDUDI_ROOT/build/windows-x64/wine-run.sh" "$REDUDI_ROOT/build/windows-x64/bin/file_tree_bench.exe" || status=1
exit $status
