#!/usr/bin/env bash
# Builds the Windows x86_64 library and its tools and runs the trace-log demo
# under Wine: redudi-logview follows the machine-wide log live while three
# writer processes (redudi-trace, started in loops) trace into it. It ends by
# itself once the viewer has shown every record (or after 40 seconds).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$REDUDI_ROOT"
ensure_packages
build_preset windows-x64 redudi-logview redudi-trace >/dev/null
start_wine

run="$REDUDI_ROOT/build/windows-x64/wine-run.sh"
bin="$REDUDI_ROOT/build/windows-x64/bin"
rounds=5
writers=3

trace() { "$run" "$bin/redudi-trace.exe" "$@"; }

echo "== redudi-logview follows the trace log; $writers writer processes trace $rounds records each"
echo "   (time, process, thread, class/subclass, level, message)"
"$run" "$bin/redudi-logview.exe" --count $((rounds * writers)) --timeout 40 &
viewer=$!
sleep 1 # the viewer catches up on earlier records anyway; this keeps the output tidy

(for i in $(seq 1 $rounds); do
    trace --class Demo.Sensor --subclass Read --level 3 "temperature $((20 + i)).$((i * 7 % 10)) C"
    sleep 0.4
done) &
(for i in $(seq 1 $rounds); do
    trace --class Demo.Worker --subclass Job --level 3 "job $i of $rounds done"
    sleep 0.5
done) &
(for i in $(seq 1 $rounds); do
    if [ $((i % 2)) -eq 0 ]; then
        trace --class Demo.Watchdog --subclass Check --level 1 "check $i: queue is slow"
    else
        trace --class Demo.Watchdog --subclass Check --level 0 "check $i: disk almost full"
    fi
    sleep 0.6
done) &

wait "$viewer"
wait
echo "== the viewer showed all $((rounds * writers)) records and ended"
echo "   (try: redudi-logview --level 1 --class Demo.Watchdog, or --dump, or --help)"
