#!/bin/sh
# Runs the window of the asan build (cmake --preset asan && cmake --build --preset asan) under
# Xvfb, closes it as a window manager's close button would, and fails unless it exits cleanly:
# no AddressSanitizer, UndefinedBehaviorSanitizer or LeakSanitizer report, exit code 0.
set -e
cd "$(dirname "$0")/.."
BIN=${1:-build-asan/app/kestrel}
ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 \
LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
QT_QPA_PLATFORM=xcb \
    xvfb-run -a sh -c '"$0" & pid=$!
        /usr/bin/python3 scripts/close-window.py KESTREL 60 || kill $pid
        wait $pid' "$BIN"
echo "asan-window: $BIN exited cleanly"
