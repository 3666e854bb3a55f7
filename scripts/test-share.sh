#!/usr/bin/env bash
# Prints the non-blank lines of C++, CMake, shell, Python and resource files under tests/
# against those in the rest of the tree (tracked and new files, build output excluded),
# and their ratio. The house keeps the ratio between 0.25 and 0.35.
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
  grep -E '\.(c|cpp|h|hpp|cmake|sh|py|rc|in)$|(^|/)CMakeLists\.txt$|^\.ci/run$' \
    | while IFS= read -r f; do [ -f "$f" ] && cat "$f"; done | grep -cv '^[[:space:]]*$' || true
}
files() { git ls-files --cached --others --exclude-standard; }
tests=$(files | grep '^tests/' | count)
rest=$(files | grep -v '^tests/' | count)
awk -v t="$tests" -v r="$rest" 'BEGIN { printf "tests/: %d lines, the rest: %d lines, ratio %.2f\n", t, r, t / r }'
