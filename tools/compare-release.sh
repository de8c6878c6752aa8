#!/usr/bin/env bash
# Compares the contents of two release folders written by tools/release.sh: for each
# archive (.deb, .zip, .tar.gz) its entries with their modes, owners, sizes and times,
# the package's control fields, and every file's SHA-256; the installers byte for
# byte. Prints what differs and exits 1 when anything does; says which archives are
# also identical byte for byte.
# Usage: tools/compare-release.sh FIRST_DIR SECOND_DIR
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: tools/compare-release.sh FIRST_DIR SECOND_DIR" >&2; exit 2; }
export LC_ALL=C TZ=UTC
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# manifest ARCHIVE: one line per entry and per file hash, in a stable order.
manifest() {
  local archive=$1 x
  x=$(mktemp -d -p "$work")
  case "$archive" in
    *.deb)
      dpkg-deb -I "$archive" | sed '1,/^ *[0-9]* bytes, *[0-9]* lines/d; /^ *[0-9]* bytes,/d' | grep -v '^ new Debian package' || true
      dpkg-deb --ctrl-tarfile "$archive" | tar -tv --full-time
      dpkg-deb --fsys-tarfile "$archive" | tar -tv --full-time
      dpkg-deb -x "$archive" "$x" ;;
    *.zip)
      zipinfo -T -l "$archive" | sed '1d;$d'
      unzip -q "$archive" -d "$x" ;;
    *.tar.gz)
      tar -tvzf "$archive" --full-time
      tar -xzf "$archive" -C "$x" ;;
  esac
  (cd "$x" && find . -type f -print0 | sort -z | xargs -0 -r sha256sum)
}

status=0
for first in "$1"/*.deb "$1"/*.zip "$1"/*.tar.gz; do
  name=$(basename "$first")
  second=$2/$name
  if [ ! -f "$second" ]; then echo "$name: missing in $2"; status=1; continue; fi
  if diff <(manifest "$first") <(manifest "$second") >"$work/diff"; then
    if cmp -s "$first" "$second"; then echo "$name: same contents, same bytes"; else echo "$name: same contents"; fi
  else
    echo "$name: contents differ:"; sed 's/^/  /' "$work/diff"; status=1
  fi
done
for first in "$1"/*.exe; do
  name=$(basename "$first")
  if cmp -s "$first" "$2/$name"; then echo "$name: same bytes"; else echo "$name: differs"; status=1; fi
done
exit $status
