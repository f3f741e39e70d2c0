#!/usr/bin/env bash
# Builds the registry property benchmark and runs it under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$REDUDI_ROOT"
ensure_packages
build_preset windows-x64 property-benchmark
start_wine
"$REDUDI_ROOT/build/windows-x64/wine-run.sh" "$REDUDI_ROOT/build/windows-x64/bin/property-benchmark.exe"
