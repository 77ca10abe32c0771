#!/usr/bin/env bash
# check-packages.sh BUILD_DIR
#
# Makes the Debian packages of a build (cpack, in a folder of its own) and
# checks them as a distribution would:
#   - lintian reports no error, no warning and no information tag except the
#     effect name "disapear", which the show displays as it is spelt;
#   - every file of vantora-dbgsym is the debug information of a program of
#     vantora, named by that program's build id, and every program has one;
#   - a second cpack of the same build gives byte-identical packages.
set -euo pipefail

build=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/vantora-packages.XXXXXX")
trap 'rm -rf "$work"' EXIT

make_packages() {
  mkdir -p "$work/$1"
  (cd "$work/$1" && cpack --config "$build/CPackConfig.cmake" -G DEB >cpack.log 2>&1) || {
    cat "$work/$1/cpack.log"
    echo "check-packages: cpack failed" >&2
    exit 1
  }
}
make_packages first
deb=$(ls "$work"/first/vantora_*.deb)
dbgsym=$(ls "$work"/first/vantora-dbgsym_*.deb)

status=0
fail() {
  echo "check-packages: $*" >&2
  status=1
}

# lintian refuses nothing as root but says so on standard error.
tags=$(lintian --info --display-info --pedantic "$deb" "$dbgsym" 2>/dev/null |
  grep -E '^[EWIPX]: ' || true)
unexpected=$(grep -v -E '^I: vantora: spelling-error-in-binary disapear disappear ' <<<"$tags" || true)
if [ -n "$unexpected" ]; then
  fail "lintian tags:"$'\n'"$unexpected"
fi

# The debug files and the programs' build ids.
mkdir "$work/deb" "$work/dbgsym"
dpkg-deb -x "$deb" "$work/deb"
dpkg-deb -x "$dbgsym" "$work/dbgsym"
declare -A programs=()
while IFS= read -r -d '' file; do
  if file -b "$file" | grep -q '^ELF'; then
    id=$(readelf -n "$file" | sed -n 's/.*Build ID: \([0-9a-f]*\).*/\1/p')
    [ -n "$id" ] || fail "${file#"$work"/deb} has no build id"
    programs[$id]=${file#"$work"/deb}
    if readelf -S "$file" | grep -q -E ' \.(debug_info|symtab|comment) '; then
      fail "${file#"$work"/deb} is not stripped"
    fi
  fi
done < <(find "$work/deb" -type f -print0)
[ ${#programs[@]} -ge 2 ] || fail "fewer than two programs in $deb"
for id in "${!programs[@]}"; do
  debug="$work/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"
  if [ ! -f "$debug" ]; then
    fail "no debug file for ${programs[$id]} (build id $id)"
  elif [ "$(readelf -n "$debug" 2>/dev/null | sed -n 's/.*Build ID: \([0-9a-f]*\).*/\1/p')" != "$id" ]; then
    fail "$debug is not the debug information of ${programs[$id]}"
  elif ! readelf -S "$debug" | grep -q ' \.debug_info '; then
    fail "$debug holds no debug information"
  fi
done
count=$(find "$work/dbgsym/usr/lib/debug" -type f | wc -l)
[ "$count" -eq ${#programs[@]} ] || fail "$count debug files for ${#programs[@]} programs"

# Packaging the same build again at another moment changes no byte.
sleep 1
make_packages second
for package in "$deb" "$dbgsym"; do
  cmp -s "$package" "$work/second/$(basename "$package")" ||
    fail "$(basename "$package") differs when packaged again"
done

[ $status -eq 0 ] && echo "check-packages: $(basename "$deb") and $(basename "$dbgsym") pass"
exit $status
