#!/usr/bin/env bash
# Builds the Windows x86_64 library and runs the demo under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$REDUDI_ROOT"
ensure_packages
build_preset windows-x64 redudi-demo
start_wine
"$REDUDI_ROOT/build/windows-x64/wine-run.sh" "$REDUDI_ROOT/build/windows-x64/bin/redudi-demo.exe"
