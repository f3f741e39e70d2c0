#!/usr/bin/env bash
# Builds every target and runs every test: the portable parts natively with
# sanitizers, the Windows DLL for x86_64 under Wine; the i686 DLL is built
# (its record layouts are checked at compile time) but not run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$REDUDI_ROOT"
ensure_packages

failed=0
build_preset windows-x86
build_preset windows-x64
build_preset native
build_preset fuzz

echo "== native tests (ASan, UBSan)"
ctest --preset native -j2 || failed=1

echo "== fuzzers (${REDUDI_FUZZ_SECONDS:-30} s each)"
# One fuzzer a line.
FUZZERS=(
    utf8_fuzzer
    base64_fuzzer
    ini_fuzzer
    path_normalisation_fuzzer
    property_path_fuzzer
    template_fuzzer
    critical_fuzzer
)
for fuzzer in "${FUZZERS[@]}"; do
    corpus="build/fuzz/corpus/$fuzzer"
    mkdir -p "$corpus"
    if [ -d "fuzz/corpus/$fuzzer" ]; then cp -r "fuzz/corpus/$fuzzer"/. "$corpus"/; fi
    build/fuzz/bin/$fuzzer -max_total_time="${REDUDI_FUZZ_SECONDS:-30}" -max_len=512 \
        -print_final_stats=1 "$corpus" >"build/fuzz/$fuzzer.log" 2>&1 ||
        { failed=1; tail -40 "build/fuzz/$fuzzer.log"; }
    grep -E "^(Done|stat::number_of_executed_units)" "build/fuzz/$fuzzer.log" || true
done

echo "== Windows x86_64 tests under Wine"
start_wine
ctest --preset windows-x64 -j2 || failed=1

echo "== the demo service's status pages, opened in headless Chromium"
bash scripts/check-demo-pages.sh || failed=1

echo "== reference documentation, release archives and a consumer built against them"
bash scripts/docs.sh || failed=1
bash scripts/package.sh && bash scripts/check-package.sh || failed=1

exit $failed
