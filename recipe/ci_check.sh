#!/bin/sh
# Runs the test section of recipe/meta.yaml against an installed prefix, as conda-build would after
# building the package: the files of source_files: copied into an empty directory, then each of
# commands: there, with PREFIX/bin first on the PATH. The commands are read from meta.yaml itself,
# so this check and the recipe cannot drift apart. Also checks that the recipe and CITATION.cff give
# the version of CMakeLists.txt's project() line.
# Usage: ci_check.sh PREFIX
set -eu
[ $# -eq 1 ] || { echo "usage: $0 PREFIX" >&2; exit 2; }
prefix=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/.." && pwd)
meta=$src/recipe/meta.yaml
fail() { echo "FAIL: $*" >&2; exit 1; }

version=$(sed -n 's/^project(trellis2 VERSION \([0-9.]*\) .*/\1/p' "$src/CMakeLists.txt")
[ -n "$version" ] || fail "no project version in CMakeLists.txt"
recipe_version=$(sed -n 's/^{% set version = "\([^"]*\)" %}$/\1/p' "$meta")
[ "$recipe_version" = "$version" ] || fail "recipe/meta.yaml has version '$recipe_version', CMakeLists.txt $version"
cff_version=$(sed -n 's/^version: "\([^"]*\)"$/\1/p' "$src/CITATION.cff")
[ "$cff_version" = "$version" ] || fail "CITATION.cff has version '$cff_version', CMakeLists.txt $version"

# The entries of a list under test: (plain scalars, one per line: "    - entry").
test_list() {
  awk -v key="$1" '
    /^[^ #]/ { in_test = ($0 == "test:"); in_list = 0; next }
    in_test && /^  [^ -]/ { in_list = ($0 == "  " key ":"); next }
    in_test && in_list && /^    - / { sub(/^    - /, ""); print }
  ' "$meta"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
files=$(test_list source_files)
for f in $files; do
  f=${f%/}
  mkdir -p "$work/$(dirname "$f")"
  cp -R "$src/$f" "$work/$(dirname "$f")/"
done
commands=$(test_list commands)
[ -n "$commands" ] || fail "recipe/meta.yaml has no test commands"
count=0
# One command per line; IFS set to a newline alone so that each runs whole.
old_ifs=$IFS
IFS='
'
for command in $commands; do
  IFS=$old_ifs
  count=$((count + 1))
  if ! (cd "$work" && PATH="$prefix/bin:$PATH" sh -ec "$command") >"$work/.log" 2>&1; then
    tail -n 20 "$work/.log" >&2
    fail "recipe test command exits non-zero: $command"
  fi
done
IFS=$old_ifs
echo "ok: version $version; $count recipe test commands pass against $prefix"
