#!/bin/sh
# Builds the Debian package with CPack into a temporary directory and checks what it holds:
# the same files as the install, dependencies from the shared-library scan, maintainer
# scripts that reload the udev rules, and nothing lintian counts as an error.
# Usage: check_deb.sh BUILD_DIR EXPECTED_LIST VERSION
set -u
build=$1 expected=$2 version=$3
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/.log" 2>&1 ||
  { cat "$out/.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
deb=$out/kdsp-console_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$out" >&2; echo "FAIL: no $deb" >&2; exit 1; }

dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {sub(/^\.\//, "", $6); print $6}' | LC_ALL=C sort > "$out/.found"
LC_ALL=C sort "$expected" > "$out/.expected"
diff -u "$out/.expected" "$out/.found" >&2 || fail "package files differ from the list"

[ "$(dpkg-deb -f "$deb" Package)" = kdsp-console ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6serialport6 libqt6multimedia6 libhidapi-hidraw0 libfftw3-single3 libudev1 libc6; do
  echo "$depends" | grep -q "\\b$lib\\b" || fail "Depends lacks $lib: $depends"
done

dpkg-deb -e "$deb" "$out/control"
[ -x "$out/control/postinst" ] || fail "no executable postinst"
grep -q 'udevadm control --reload-rules' "$out/control/postinst" || fail "postinst does not reload udev rules"
sh -n "$out/control/postinst" || fail "postinst is not valid sh"

# Debian's own checker finds no error: copyright file, changelog, description, layout.
if command -v lintian >/dev/null 2>&1; then
  lintian --fail-on error --tag-display-limit 0 "$deb" >"$out/.lintian" 2>&1 ||
    { cat "$out/.lintian" >&2; fail "lintian reports errors"; }
else
  fail "lintian is missing (scripts/install-deps)"
fi
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/kdsp-console/copyright 2>/dev/null |
  grep -q '^License: GPL-3+$' || fail "no machine-readable copyright file naming GPL-3+"
maintainer=$(dpkg-deb -f "$deb" Maintainer)
echo "$maintainer" | grep -q 'example\.' && fail "placeholder maintainer address: $maintainer"
long=$(dpkg-deb -f "$deb" Description | awk 'length($0) > 80')
[ -z "$long" ] || fail "description lines over 80 characters: $long"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "package: $(basename "$deb"), Depends: $depends"
