#!/usr/bin/env bash
# The checks beside the test run (scripts/test.sh, which installs the dependencies first): the
# format of every C++ file; the shipped programs built as the package builds them (Release) with
# warnings as errors, in build-rel; and the tests, the window's included (offscreen), built and
# run under AddressSanitizer and UndefinedBehaviorSanitizer in build-asan. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== check: clang-format"
find app bench db demo fixtures platform posting tests ui -name '*.cpp' -o -name '*.h' |
  xargs clang-format --dry-run --Werror

echo "== check: Release build, warnings as errors"
cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DINZEFOR_WERROR=ON >/dev/null
cmake --build build-rel -j"$jobs" --target inzefor-batch InZEFOR inzefor-bench inzefor-demo-data

echo "== check: tests under the sanitizers"
cmake -S . -B build-asan -DINZEFOR_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
# The interruption tests kill the console runner many times over: under the sanitizers they take
# minutes and add nothing that the other tests of the run driver do not check.
QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan --output-on-failure -j2 --timeout 900 \
  -L 'platform|db|posting|app|ui|layout' -E Interruption
# A finding stops its program, so the tests above fail on one; this says so in plain words.
if grep -nE 'ERROR: (Address|Leak)Sanitizer|runtime error:|Sanitizer has encountered' \
  build-asan/Testing/Temporary/LastTest.log; then
  echo "check: a sanitizer report above" >&2
  exit 1
fi
echo "check: format, Release warnings and sanitizers clean"
