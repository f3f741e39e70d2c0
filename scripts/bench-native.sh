#!/usr/bin/env bash
# Builds the native benchmarks optimised and runs them; extra arguments go to
# Google Benchmark (for example --benchmark_filter=Base64).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$REDUDI_ROOT"
ensure_packages
build_preset bench
build/bench/bin/conversions_bench --benchmark_min_time=0.3 "$@"
build/bench/bin/ini_bench --benchmark_min_time=0.5
# Template expansion at 1, 8 and 64 MB against ctemplate.
build/bench/bin/template_bench
