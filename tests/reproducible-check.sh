#!/usr/bin/env bash
# Builds the current commit twice and fails unless both builds give the same bytes.
# Usage: tests/reproducible-check.sh        (`make reproducible-check` installs what it needs first)
# Each build is `make package` in a fresh clone: the second in a folder of another name and depth,
# cloned after the first build ended (so every checkout time differs), with umask 002 and
# LANG=de_DE.UTF-8 where the first had 022 and C.UTF-8. Both take SOURCE_DATE_EPOCH from the commit,
# as the Makefile does. The .deb files and the built tirvok3 programs are compared byte for byte, and
# Tirvok3.exe too when the Makefile has a `windows` target, and the page and its site (`make web`): the
# second build has a wasm-opt on PATH that fails when run, as clang runs binaryen's by itself where it
# finds one, so the page must not depend on binaryen. Prints the SHA-256 sums; on a difference
# prints the start of diffoscope's report and exits 1. Uncommitted changes are not part of the builds.
# The clones are always removed.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$repo" rev-parse HEAD)
work=$(mktemp -d "${TMPDIR:-/tmp}/reproducible-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
first=$work/one
second=$work/second-build/tirvok3
with_windows=""
with_web=""
# A stand-in for binaryen's wasm-opt: any build that runs it fails.
mkdir -p "$work/binaryen"
printf '#!/bin/sh\necho "wasm-opt was run: $*" >&2\nexit 1\n' >"$work/binaryen/wasm-opt"
chmod +x "$work/binaryen/wasm-opt"

# build <folder> <umask> <LANG> [<folder put first on PATH>]: clones the commit into the folder, builds there.
build() {
  local dir=$1 log=$work/$(basename "$(dirname "$1")")-$(basename "$1").log
  mkdir -p "$(dirname "$dir")"
  git clone -q --no-hardlinks --no-checkout "$repo" "$dir"
  git -C "$dir" checkout -q --detach "$commit"
  [ -n "$with_windows" ] || ! make -C "$dir" -n windows >/dev/null 2>&1 || with_windows=yes
  [ -n "$with_web" ] || ! make -C "$dir" -n web >/dev/null 2>&1 || with_web=yes
  echo "== make package${with_windows:+ windows}${with_web:+ web} in $dir (umask $2, LANG=$3${4:+, wasm-opt on PATH})"
  if ! (cd "$dir" && umask "$2" && env -u SOURCE_DATE_EPOCH -u LC_ALL LANG="$3" PATH="${4:+$4:}$PATH" \
    make package ${with_windows:+windows} ${with_web:+web}) >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "the build in $dir failed" >&2
    exit 1
  fi
}

build "$first" 022 C.UTF-8
sleep 2
build "$second" 002 de_DE.UTF-8 "$work/binaryen"

# The files to compare, as paths inside a clone.
files=$(cd "$first" && ls build/tirvok3_*.deb && find build/src -name tirvok3 -type f)
[ -z "$with_windows" ] || files="$files $(cd "$first" && find . -name Tirvok3.exe -type f -not -path '*/CMakeFiles/*')"
[ -z "$with_web" ] || files="$files $(cd "$first" && ls build-web/tirvok3.html build-web/site/*)"

status=0
for f in $files; do
  echo "== $f"
  (cd "$first" && sha256sum "$f") | sed 's/^/  first:  /'
  (cd "$second" && sha256sum "$f") | sed 's/^/  second: /'
  if ! cmp -s "$first/$f" "$second/$f"; then
    echo "  DIFFERENT; the first differences, by diffoscope:"
    diffoscope --text - "$first/$f" "$second/$f" 2>&1 | head -n 60 | sed 's/^/  /' || true
    status=1
  fi
done
if [ $status = 0 ]; then echo "reproducible: both builds of $commit are the same bytes"; fi
exit $status
