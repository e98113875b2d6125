#!/usr/bin/env bash
# The tree's format and lint: clang-format with the committed .clang-format over every C++ file, then
# clang-tidy with the committed .clang-tidy over the program's own sources (src, refengine, tools) as the
# Linux build compiles them. Any finding fails the run.
# Usage: scripts/lint.sh [build-dir]   (a configured Linux build with compile_commands.json)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build"}
cd "$root"
# Where several developers share a machine, DRAVO_BUILD_LOCK names a lock file that serialises builds.
lock=()
[ -z "${DRAVO_BUILD_LOCK:-}" ] || lock=(flock "$DRAVO_BUILD_LOCK")

echo "clang-format check"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

# The house rule: files of at most 400 lines in the program's own sources.
long=$(git ls-files 'src/*.cpp' 'src/*.h' | xargs wc -l | awk '$2 != "total" && $1 > 400 {print $2 ": " $1 " lines"}')
if [ -n "$long" ]; then
    echo "$long" >&2
    echo "These files are over 400 lines." >&2
    exit 1
fi

if [ ! -f "$build/compile_commands.json" ]; then
    echo "No $build/compile_commands.json: configure the build first." >&2
    exit 1
fi
# The Windows-only files are not in the Linux compile database; the Windows stage builds them.
mapfile -t sources < <(git ls-files 'src/*.cpp' 'refengine/*.cpp' 'tools/*.cpp' | grep -v '_win32\.cpp$')
if [ ${#sources[@]} -eq 0 ]; then
    echo "No sources to lint: failing." >&2
    exit 1
fi
echo "clang-tidy on ${#sources[@]} files"
log=$(mktemp)
database=$(mktemp -d)
trap 'rm -rf "$log" "$database"' EXIT
# One compile command a file, the program's own: the test targets' copies use GCC's precompiled header,
# which clang cannot read.
python3 - "$build/compile_commands.json" "$database/compile_commands.json" <<'PY'
import json, sys
entries, seen = [], set()
for entry in json.load(open(sys.argv[1])):
    command = entry.get("command", " ".join(entry.get("arguments", [])))
    if "cmake_pch" in command or entry["file"] in seen:
        continue
    seen.add(entry["file"])
    entries.append(entry)
json.dump(entries, open(sys.argv[2], "w"))
PY
# GCC's own warning options are unknown to clang.
if ! "${lock[@]}" run-clang-tidy -quiet -j 2 -p "$database" -extra-arg=-Wno-unknown-warning-option \
    "${sources[@]/#/$root/}" >"$log" 2>&1; then
    grep -E 'warning:|error:' "$log" | sort -u >&2 || cat "$log" >&2
    echo "clang-tidy found the above." >&2
    exit 1
fi
if grep -qE '(warning|error):' "$log"; then
    grep -E '(warning|error):' "$log" | sort -u >&2
    echo "clang-tidy found the above." >&2
    exit 1
fi
echo "lint clean"
