#!/usr/bin/env bash
# Fails when a C++ file of the project differs from what clang-format makes
# of it with the project's .clang-format; prints the files and the difference.
#   check_format.sh SOURCE_DIR [CLANG_FORMAT]
set -euo pipefail
cd "$1"
clang_format=${2:-clang-format}

mapfile -t files < <(find app clock config platform program res tools tests window \
  -name '*.cpp' -o -name '*.h' | sort)
status=0
for f in "${files[@]}"; do
  if ! diff -u --label "$f" --label "$f (formatted)" "$f" <("$clang_format" --style=file "$f"); then
    status=1
  fi
done
exit "$status"
