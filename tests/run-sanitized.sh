#!/usr/bin/env bash
# Runs a test program built with the sanitizers (ctest's command in such a build).
# The leak checker of GCC 12's runtime now and then crashes in its own thread tracer when it
# checks the process at exit ("Tracer caught signal 11 ... LeakSanitizer has encountered a
# fatal error"), after every test case has passed and before it has looked for leaks. Such a
# run says nothing about the test, so it is run once more; every other failure stands.
set -u
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ] && grep -q '^Tracer caught signal' "$log" \
        && grep -q 'LeakSanitizer has encountered a fatal error' "$log"; then
    echo "run-sanitized.sh: the leak checker's tracer crashed at exit; the test runs once more"
    "$@"
    status=$?
fi
exit "$status"
