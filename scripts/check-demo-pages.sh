#!/usr/bin/env bash
# Checks the demo's status pages as a person would see them: imports the
# demo's INI file below a root of its own, changes two settings, runs the
# status service under Wine and opens the generated index page in headless
# Chromium; the rendered page must show the title and the values the
# properties gave. Fails (exit 1) otherwise.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$REDUDI_ROOT"
build_preset windows-x64 redudi-props redudi-status-service >/dev/null
start_wine

run="$REDUDI_ROOT/build/windows-x64/wine-run.sh"
bin="$REDUDI_ROOT/build/windows-x64/bin"
root=Software/REDudiDemoCheck
pages=build/demo-check/pages
dom=build/demo-check/index.dom.html
site="Check pier $$"

props() { "$run" "$bin/redudi-props.exe" "$@" >/dev/null; }
cleanup() {
    props delete "$root" --branch / 2>/dev/null || true
    stop_wine
}
trap cleanup EXIT

rm -rf build/demo-check
mkdir -p build/demo-check
props delete "$root" --branch / 2>/dev/null || true
props import "$root" demo/config/service.ini
props set "$root" /Service/Site "$site"
props set "$root" /Limits/QueueLength 140 --type uint
props set "$root" /Queues/customs 141 --type uint
timeout 60 "$run" "$bin/redudi-status-service.exe" --root "$root" --templates demo/templates \
    --pages "$pages"

sandbox=()
[ "$(id -u)" -eq 0 ] && sandbox=(--no-sandbox)
timeout 60 chromium --headless "${sandbox[@]}" --disable-gpu --no-first-run \
    --dump-dom "file://$REDUDI_ROOT/$pages/index.html" >"$dom" 2>build/demo-check/chromium.log ||
    { tail -20 build/demo-check/chromium.log >&2; exit 1; }

failed=0
expect() { # what, then a fixed text the rendered page must contain
    if grep -qF -- "$2" "$dom"; then
        echo "ok: $1"
    else
        echo "FAILED: $1: the rendered page lacks: $2" >&2
        failed=1
    fi
}
expect "title" "<title>Harbour Gate status</title>"
expect "heading" '<h1 id="title">Harbour Gate status</h1>'
expect "site from the properties" "<span id=\"site\">$site</span>"
expect "queue from the INI file" '<td class="queue">inbound</td><td class="jobs">42</td><td></td>'
expect "queue changed in the properties" \
    '<td class="queue">customs</td><td class="jobs">141</td><td>over the limit</td>'
expect "limit from the properties" "hold more than 140 jobs."
expect "directives all expanded" "</html>"
if grep -q "qv\(var\|ifvar\|for\|file\)" "$dom"; then
    echo "FAILED: the rendered page still holds template directives" >&2
    failed=1
fi
for page in details/queues.html details/machine.html style.css; do
    [ -s "$pages/$page" ] || { echo "FAILED: $page was not generated" >&2; failed=1; }
done
exit $failed
