#!/usr/bin/env bash
# Builds the Windows x86_64 library, its tools and the demo status service and
# runs the typical request of a service built on the library under Wine:
#   1. redudi-props imports the service's INI file (demo/config/service.ini)
#      into the registry properties below HKEY_LOCAL_MACHINE\Software\REDudiDemo
#      and lists what it stored; redudi-sysinfo shows the machine;
#   2. redudi-logview follows the trace log live while redudi-status-service
#      reads its settings through the property manager, renders its status
#      pages from demo/templates with the values in a property bag and traces
#      each step;
#   3. for each queue over its configured limit the service writes a critical
#      record, which redudi-logview --critical --mark-delivered (the machine's
#      critical reader) shows live and marks delivered.
# It prints where the pages are and ends by itself (every wait is bounded).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$REDUDI_ROOT"
ensure_packages
echo "== building the library, the tools and the demo service (first run: a few minutes)"
build_preset windows-x64 redudi-logview redudi-props redudi-sysinfo redudi-status-service \
    >/dev/null
start_wine

run="$REDUDI_ROOT/build/windows-x64/wine-run.sh"
bin="$REDUDI_ROOT/build/windows-x64/bin"
root=Software/REDudiDemo
ini=demo/config/service.ini
pages=build/demo/pages

props() { "$run" "$bin/redudi-props.exe" "$@"; }
logview() { "$run" "$bin/redudi-logview.exe" "$@"; }

# How many queues of the INI file hold more jobs than its limit: one warning
# (and one critical record) each.
queues_over_limit() {
    awk -F= '
        /^\[/ { section = $0; next }
        section == "[Limits]" && $1 == "QueueLength" { limit = $2 + 0 }
        section == "[Queues]" && NF == 2 { length_of[$1] = $2 + 0 }
        END { n = 0; for (q in length_of) if (length_of[q] > limit) n++; print n }
    ' "$1" | tr -d "\r"
}

echo
echo "== 1. redudi-props imports $ini into the registry properties below HKLM\\${root//\//\\}"
props delete "$root" --branch / >/dev/null 2>&1 || true # start from the file alone
props import "$root" "$ini"
echo "   redudi-props list $root --recursive:"
props list "$root" --recursive | sed 's/^/     /'
echo
echo "== redudi-sysinfo: the machine the service runs on"
"$run" "$bin/redudi-sysinfo.exe" | sed 's/^/     /'

over=$(queues_over_limit "$ini")
records=$((4 + over)) # start, settings, pages, stop and one critical copy per queue over the limit
echo
echo "== 2. redudi-logview follows the trace log and the critical log live while the service runs"
echo "   (time, process, thread, class/subclass, level, message)"
logview --class StatusService --count "$records" --timeout 40 &
viewer=$!
critical=
if [ "$over" -gt 0 ]; then
    # The machine's critical reader: shows each critical record and marks it
    # delivered (time, process, thread, #code, agent, module, version,
    # class/subclass, level, new|delivered, message).
    logview --critical --mark-delivered --count "$over" --timeout 40 |
        sed -u 's/^/   critical log: /' &
    critical=$!
fi
sleep 2 # the viewers hold the logs open before the service writes and ends

rm -rf "$pages"
"$run" "$bin/redudi-status-service.exe" --root "$root" --templates demo/templates \
    --pages "$pages" >/dev/null
wait "$viewer" || echo "   (the trace viewer did not see all $records records in time)"
if [ -n "$critical" ]; then
    wait "$critical" || echo "   (the critical reader did not see all $over records in time)"
fi
echo "   $over queue(s) over the limit: one critical record each, marked delivered by the reader"

echo
echo "== 3. the status pages the service generated from demo/templates:"
find "$pages" -type f | sort | sed 's/^/     /'
echo "   open the index page in a browser:"
echo "     chromium file://$REDUDI_ROOT/$pages/index.html"
echo "   (or: xdg-open $REDUDI_ROOT/$pages/index.html)"
