#!/bin/sh
# Runs tests while stress-ng keeps both cores busy, to show they do not depend on an idle
# machine. Usage: scripts/load-test.sh [ctest arguments...]
# Default: the real-time end-to-end tests 20 times in a row (label e2e, which includes
# tst_clie2e and tst_cliproduction).
set -e
cd "$(dirname "$0")/.."
[ $# -gt 0 ] || set -- -L e2e --repeat until-fail:20
stress-ng --cpu 2 --quiet &
STRESS=$!
trap 'kill $STRESS 2>/dev/null; wait $STRESS 2>/dev/null' EXIT INT TERM
ctest --test-dir build --output-on-failure "$@"
