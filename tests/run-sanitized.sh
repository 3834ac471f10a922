#!/usr/bin/env bash
# Runs a test program built with the sanitizers (ctest's command in such a build).
# The leak checker of GCC 12's runtime now and then crashes in its own thread tracer when it
# checks the process at exit ("Tracer caught signal 11 ... LeakSanitizer has encountered a
# fatal error"), after every test case has passed and before it has looked for leaks. Such a
# run says nothing about the test, so it is run once more - but only when the run had reported
# every case passed: a failing case followed by that crash is a failure like any other.
# Each second run is noted as one line in sanitizer-reruns.log of the build folder, so how often
# the tracer crashes can be seen.
set -u
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}

tracer_crashed() {
    grep -q '^Tracer caught signal' "$log" && grep -q 'LeakSanitizer has encountered a fatal error' "$log"
}

# QtTest ends every run of a test object with "Totals: <n> passed, <m> failed, ..."; a run counts
# as passed only when it printed such a line, every such line has no failed case, and no case
# printed "FAIL!".
all_cases_passed() {
    grep -q '^Totals: [0-9]* passed, ' "$log" \
        && ! grep -q '^Totals: [0-9]* passed, [1-9][0-9]* failed' "$log" \
        && ! grep -q '^FAIL!  :' "$log"
}

if [ "$status" -ne 0 ] && tracer_crashed && all_cases_passed; then
    echo "run-sanitized.sh: the leak checker's tracer crashed at exit after every case passed; the test runs once more"
    "$@"
    second=$?
    printf '%s %s first run %d, second run %d\n' "$(date -u +%Y-%m-%dT%H:%M:%SZ)" "$(basename "$1")" \
        "$status" "$second" >> "${MM_BINARY_DIR:-.}/sanitizer-reruns.log"
    status=$second
fi
exit "$status"
