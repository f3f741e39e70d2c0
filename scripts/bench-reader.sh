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
bench="$REDUDI_ROOT/build/windows-x64/bin/reader_throughput.exe"
"$REDUDI_ROOT/build/windows-x64/wine-run.sh" "$bench" "${1:-20000}" "${2:-4}"
# A listener that pauses 2 ms per record falls behind: the ring overwrites
# records, and the check shows that only those are missed.
"$REDUDI_ROOT/build/windows-x64/wine-run.sh" "$bench" 5000 "${2:-4}" 2
