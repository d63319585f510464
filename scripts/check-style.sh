#!/usr/bin/env bash
# The habits the test run checks by itself:
#   - every tracked C++ source is formatted as .clang-format says;
#   - the core (the Qt-free folders and vorlaxis-check) is clean under .clang-tidy, checked
#     with the default build's compile_commands.json;
#   - no two folders include each other, even through others, and the Qt-free folders include
#     no Qt header and nothing from a qt/ folder;
#   - the core and vorlaxis-check include no operating-system header (platform/ and the Win32
#     faces do).
# Prints each finding and exits non-zero when there is one.
#
#   scripts/check-style.sh [BUILD_DIR]      (default: build, the default preset's)
set -uo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
status=0

tool() {
  for name in "$@"; do
    if command -v "$name" >/dev/null; then
      echo "$name"
      return
    fi
  done
  echo "check-style: none of $* is installed (scripts/install-deps.sh installs them)" >&2
  exit 2
}
clang_format=$(tool clang-format clang-format-14)
clang_tidy=$(tool clang-tidy clang-tidy-14)

# The core's folders; qt/ and win32/ faces are not part of it.
core_folders=(core engine media settings results help cli)

# Format.
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! "$clang_format" --dry-run --Werror "${sources[@]}"; then
  echo "check-style: sources differ from .clang-format (format them with: cmake --build build --target format)" >&2
  status=1
fi

# Tidy, two files at a time.
if [ ! -f "$build/compile_commands.json" ]; then
  echo "check-style: no $build/compile_commands.json; configure the default build first" >&2
  exit 2
fi
mapfile -t core < <(for d in "${core_folders[@]}"; do git ls-files "$d/*.cpp"; done | grep -v '/qt/\|/win32/')
tidy_output=$(printf '%s\n' "${core[@]}" |
  xargs -P 2 -n 4 "$clang_tidy" -p "$build" --quiet 2>&1)
tidy_status=$?
grep -v 'warnings\? generated\.$' <<<"$tidy_output"
if [ "$tidy_status" != 0 ]; then
  echo "check-style: clang-tidy found problems in the core" >&2
  status=1
fi

# Folders: one edge per include of another folder's header; tsort refuses a loop.
folder_of() {
  local dir
  dir=$(dirname "$1")
  case "$dir" in
    platform/*) echo platform ;;
    *) echo "$dir" ;;
  esac
}
edges=$(git ls-files '*.cpp' '*.h' | grep -v '^tests/\|^bench/\|^scripts/' | while read -r file; do
  from=$(folder_of "$file")
  grep -o '^#include "[^"]*/[^"]*"' "$file" | sed 's/^#include "//; s/"$//' | while read -r header; do
    to=$(folder_of "$header")
    [ "$from" != "$to" ] && echo "$from $to"
  done
done | sort -u)
if ! echo "$edges" | tsort >/dev/null 2>/tmp/check-style-tsort.$$; then
  echo "check-style: folders include each other:" >&2
  cat /tmp/check-style-tsort.$$ >&2
  status=1
fi
rm -f /tmp/check-style-tsort.$$
# Includes a part must not have: each finding of `pattern` in the sources of `folders` outside
# the faces that `skip` names.
forbid() {  # message, skip (a grep pattern of paths), pattern, folders...
  local message=$1 skip=$2 pattern=$3 found
  shift 3
  for d in "$@"; do
    found=$(git ls-files "$d/*.cpp" "$d/*.h" | grep -v "$skip" | xargs grep -n "$pattern" 2>/dev/null)
    if [ -n "$found" ]; then
      echo "check-style: $message:" >&2
      echo "$found" >&2
      status=1
    fi
  done
}
forbid "Qt in the Qt-free part" '/qt/' \
  '^#include [<"]\(Q[A-Za-z]*\|qt[^"]*\|[a-z]*/qt/[^"]*\)[">]' "${core_folders[@]}" platform
# Operating-system headers belong to platform/ and the Win32 faces; the processor's intrinsics
# are not one.
forbid "an operating-system header outside platform/ and the Win32 faces" '/qt/\|/win32/' \
  '^#include <\(windows\|winioctl\|shlobj\|commctrl\|unistd\|fcntl\|dirent\|pthread\|poll\|signal\|termios\|io\|sys/[^>]*\|linux/[^>]*\)\.h>' \
  "${core_folders[@]}"

exit "$status"
