#!/usr/bin/env bash
# Builds the Windows x86_64 benchmarks and runs them under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$REDUDI_ROOT"
ensure_packages
build_preset windows-x64 trace-benchmark
start_wine
"$REDUDI_ROOT/build/windows-x64/wine-run.sh" "$REDUDI_ROOT/build/windows-x64/bin/trace-benchmark.exe"
build_preset windows-x64 mrsw-benchmark
"$REDUDI_ROOT/build/windows-x64/wine-run.sh" "$REDUDI_ROOT/build/windows-x64/bin/mrsw-benchmark.exe"
build_preset windows-x64 ini_profile_bench
"$REDUDI_ROOT/build/windows-x64/wine-run.sh" "$REDUDI_ROOT/build/windows-x64/bin/ini_profile_bench.exe"
build_preset windows-x64 critical-benchmark
"$REDUDI_ROOT/build/windows-x64/wine-run.sh" "$REDUDI_ROOT/build/windows-x64/bin/critical-benchmark.exe"
