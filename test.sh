#!/usr/bin/env bash
# Sets up, builds and runs every test with CTest; exits non-zero on any failure.
#   ./test.sh             the normal build, in build/
#   ./test.sh --sanitize  the same tests built with AddressSanitizer and
#                         UndefinedBehaviorSanitizer, in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")"

sanitize=OFF
dir=build
for arg in "$@"; do
  case "$arg" in
    --sanitize) sanitize=ON; dir=build-sanitize ;;
    *) echo "test.sh: unknown argument: $arg" >&2; exit 2 ;;
  esac
done

./scripts/setup

cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVITRODIAL_WERROR=ON -DVITRODIAL_SANITIZE="$sanitize" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"

if [ "$sanitize" = ON ]; then
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

ctest --test-dir "$dir" --output-on-failure --timeout 600
