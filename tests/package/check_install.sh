#!/bin/sh
# Stages `cmake --install` of the build tree under a temporary directory with prefix /usr, as
# the package lays it out, and checks that exactly the expected files are there and that each
# is what it should be: programs that run, icons of their stated size, a desktop entry and
# metainfo that the freedesktop and AppStream validators accept, manual pages that format
# without warnings.
# Usage: check_install.sh BUILD_DIR EXPECTED_LIST VERSION
set -u
build=$1 expected=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null || { echo "FAIL: install" >&2; exit 1; }

# Exactly the expected files, no more and no fewer.
(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort) > "$work/.found"
LC_ALL=C sort "$expected" > "$work/.expected"
if ! diff -u "$work/.expected" "$work/.found" >&2; then fail "installed files differ from the list"; fi
while read -r f; do
  [ -s "$root/$f" ] || fail "$f is missing or empty"
done < "$work/.expected"

# The programs run from the staged tree and tell the project's version.
for p in kdsp-console kdsp-boxsim; do
  [ -x "$root/usr/bin/$p" ] || fail "usr/bin/$p is not executable"
  out=$("$root/usr/bin/$p" --version 2>&1) || fail "$p --version exits with $?"
  [ "$out" = "$p $version" ] || fail "$p --version says '$out', not '$p $version'"
done
[ -x "$root/usr/bin/kdsp-tool" ] || fail "usr/bin/kdsp-tool is not executable"

# Each bitmap icon is as large as its directory says (PNG width and height in the IHDR chunk).
for png in "$root"/usr/share/icons/hicolor/*x*/apps/*.png; do
  dir=$(basename "$(dirname "$(dirname "$png")")")
  size=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$size" = "$dir" ] || fail "$png is $size, not $dir"
done

desktop=$root/usr/share/applications/org.kdsp.console.desktop
metainfo=$root/usr/share/metainfo/org.kdsp.console.metainfo.xml
desktop-file-validate "$desktop" >&2 || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" >&2 || fail "appstreamcli validate --no-net"
# With its network checks too: every address the metainfo names has to be real.
appstreamcli validate --pedantic "$metainfo" >&2 || fail "appstreamcli validate --pedantic"

# The entry starts an installed program and names an installed icon.
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/bin/$exec_name" ] || fail "Exec=$exec_name is not an installed program"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon is not installed"
grep -q '^Categories=AudioVideo;Audio;$' "$desktop" || fail "desktop categories"
grep -q '^Name\[zh_CN\]=' "$desktop" || fail "no Chinese name"
grep -q '^Comment\[zh_CN\]=' "$desktop" || fail "no Chinese comment"
# The metainfo launches this desktop entry and has a release entry for this version.
grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
  fail "metainfo does not launch $(basename "$desktop")"
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release entry for $version"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" ||
  fail "metainfo has no project_license GPL-3.0-or-later"
# No placeholder address anywhere: what the project does not have is left out.
placeholders=$(grep -rlI 'example\.\(org\|com\|net\)' "$root" | sed "s|^$root/||")
[ -z "$placeholders" ] || fail "placeholder addresses in: $placeholders"

# Manual pages format without warnings and describe their own program.
for page in "$root"/usr/share/man/man1/*.1.gz; do
  name=$(basename "$page" .1.gz)
  warnings=$(gzip -dc "$page" | LC_ALL=C.UTF-8 groff -man -ww -z -Tutf8 2>&1)
  [ -z "$warnings" ] || fail "$name.1: $warnings"
  gzip -dc "$page" | grep -q "^$name \\\\- " || fail "$name.1 has no NAME line for $name"
done

# The console's page names its settings file and its preset folder (compressed pages hide
# placeholders from the grep above, so that is checked here too).
console_page=$(gzip -dc "$root/usr/share/man/man1/kdsp-console.1.gz" | LC_ALL=C.UTF-8 groff -man -Tutf8 -P-cbou 2>/dev/null)
for f in '~/.config/kdsp/kdsp-console.conf' '~/.local/share/kdsp/kdsp-console/Mode/'; do
  echo "$console_page" | grep -qF -- "$f" || fail "kdsp-console.1 does not name $f"
done
for page in "$root"/usr/share/man/man1/*.1.gz; do
  gzip -dc "$page" | grep -q 'example\.\(org\|com\|net\)' && fail "placeholder address in $(basename "$page")"
done

# Every option a program's --help names is described in its manual page.
for p in kdsp-console kdsp-boxsim; do
  text=$(gzip -dc "$root/usr/share/man/man1/$p.1.gz" | LC_ALL=C.UTF-8 groff -man -Tutf8 -P-cbou 2>/dev/null)
  for option in $(LC_ALL=C "$root/usr/bin/$p" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    echo "$text" | grep -q -- "$option" || fail "$p.1 does not describe $option"
  done
done

# The rule is the one of the source tree.
rule=$root/usr/lib/udev/rules.d/70-kdsp-console.rules
grep -q 'ATTRS{idVendor}=="2f1d", ATTRS{idProduct}=="0c37", TAG+="uaccess"' "$rule" ||
  fail "udev rule does not grant the seat access to the box"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "install layout: $(wc -l < "$work/.expected") files in place"
