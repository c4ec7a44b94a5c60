#!/bin/sh
# Installs the build into a temporary prefix and checks what lands there: the three programs
# run and print one and the same version, trellis2 does not link zlib, and the three man pages
# are roff pages (formatted without warnings where groff is installed); and the test commands of the
# conda recipe pass against the prefix.
# Usage: install_test.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
v1=$("$prefix/bin/trellis2" --version) || fail "installed trellis2 --version exits non-zero"
v2=$("$prefix/bin/trellis2-prep" --version) || fail "installed trellis2-prep --version exits non-zero"
v3=$("$prefix/bin/trellis2-annotate" --version) || fail "installed trellis2-annotate --version exits non-zero"
[ "${v1#trellis2 }" = "${v2#trellis2-prep }" ] || fail "versions differ: '$v1' and '$v2'"
[ "${v1#trellis2 }" = "${v3#trellis2-annotate }" ] || fail "versions differ: '$v1' and '$v3'"
case "$v1" in "trellis2 "[0-9]*) ;; *) fail "unexpected version line '$v1'" ;; esac
if command -v ldd >/dev/null 2>&1 && ldd "$prefix/bin/trellis2" | grep -q 'libz\.'; then
  fail "trellis2 links zlib"
fi
for page in trellis2 trellis2-prep trellis2-annotate; do
  man="$prefix/share/man/man1/$page.1"
  [ -f "$man" ] || fail "no man page $man"
  head -n 5 "$man" | grep -q "^\.TH $(echo "$page" | tr 'a-z' 'A-Z') 1 " || fail "$page.1 has no .TH header"
  for section in NAME SYNOPSIS DESCRIPTION; do
    grep -q "^\.SH $section" "$man" || fail "$page.1 has no $section section"
  done
  if command -v groff >/dev/null 2>&1; then
    warnings=$(groff -man -Tutf8 -ww -z "$man" 2>&1)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
  fi
done
sh "$(dirname "$0")/../../recipe/ci_check.sh" "$prefix" || fail "the recipe's test commands fail"
echo "ok: installed $v1, $v2 and $v3"
