#!/usr/bin/env bash
# Builds the HTML reference of the public headers into build/docs/html with
# Doxygen (one page per header family, one per class) and fails when an
# exported class has no comment; members without one are counted.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$REDUDI_ROOT"
ensure_packages
mkdir -p build/docs
rm -rf build/docs/html
doxygen docs/Doxyfile
classes=$(grep -c "warning: Compound .* is not documented" build/docs/warnings.txt || true)
members=$(grep -c "warning: Member .* is not documented" build/docs/warnings.txt || true)
echo "reference: build/docs/html/index.html; $classes classes and $members members without a comment"
if [ "$classes" -gt 0 ]; then
    grep "warning: Compound .* is not documented" build/docs/warnings.txt >&2
    exit 1
fi
