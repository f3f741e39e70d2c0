#!/usr/bin/env bash
# Measures the trace-log reader under Wine: records per second one LogReader
# delivers while writer processes trace flat out (default 4 x 20000 records),
# against the writers' own rate with no reader running, and whether any
# record was lost that the ring still held. Arguments: [RECORDS_PER_WRITER] [WRITERS].
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$REDUDI_ROOT"
ensure_packages
build_preset windows-x64 reader_throughput trace_flood >/dev/null
start_wine
"$REDUDI_ROOT/build/windows-x64/wine-run.sh" \
    "$REDUDI_ROOT/build/windows-x64/bin/reader_throughput.exe" "${1:-20000}" "${2:-4}"
