#!/usr/bin/env bash
# The checks beside the test run (scripts/test.sh, which installs the dependencies first): the
# format of every C++ file, and the core tests (no Qt) built and run under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== check: clang-format"
find app bench db demo platform posting tests ui -name '*.cpp' -o -name '*.h' |
  xargs clang-format --dry-run --Werror

echo "== check: core tests under the sanitizers"
cmake -S . -B build-asan -DINZEFOR_SANITIZE=ON -DINZEFOR_WITH_QT=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"
# The interruption tests kill the console runner many times over: under the sanitizers they take
# minutes and add nothing that the other tests of the run driver do not check.
ctest --test-dir build-asan --output-on-failure -j2 --timeout 900 -L 'platform|db|posting|app' -E Interruption
# A finding stops its program, so the tests above fail on one; this says so in plain words.
if grep -nE 'ERROR: (Address|Leak)Sanitizer|runtime error:|Sanitizer has encountered' \
  build-asan/Testing/Temporary/LastTest.log; then
  echo "check: a sanitizer report above" >&2
  exit 1
fi
echo "check: format and sanitizers clean"
