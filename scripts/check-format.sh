#!/usr/bin/env bash
# Fails when a C or C++ file of the project is off the project's .clang-format.
#   scripts/check-format.sh          list the files off the format, exit 1 when there are any
#   scripts/check-format.sh --fix    format them in place
# The clang-format version is the one scripts/install-deps.sh installs: other versions format differently.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
formatter=clang-format-14
command -v "$formatter" >/dev/null || { echo "$formatter is missing: run scripts/install-deps.sh" >&2; exit 2; }
mapfile -t files < <(git ls-files '*.h' '*.cpp' '*.c')
if [ "${1:-}" = "--fix" ]; then
  "$formatter" -i "${files[@]}"
  exit 0
fi
# One run over every file; --dry-run names each file off the format in its warnings.
mapfile -t off < <("$formatter" --dry-run "${files[@]}" 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning:.*/\1/p' | sort -u)
if [ ${#off[@]} -gt 0 ]; then
  printf 'off the format: %s\n' "${off[@]}"
  echo "format: ${#off[@]} file(s) off .clang-format (scripts/check-format.sh --fix formats them)" >&2
  exit 1
fi
echo "format: every file follows .clang-format"
