#!/usr/bin/env bash
# Checks a built Debian package: unpacked into a scratch root, its files are in place, the
# program in it runs, its dependencies come from the shared libraries, and lintian finds no
# error. Any failure ends the script with a non-zero status.
#   scripts/check_package.sh path/to/quorvelle_VERSION_ARCH.deb
set -euo pipefail
deb="$1"
version="$(dpkg-deb -f "$deb" Version)"
app_id=com.ombrevault.Quorvelle

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

failed=0
fail() {
  echo "package check: $*" >&2
  failed=1
}

for file in \
  usr/bin/quorvelle \
  "usr/share/applications/$app_id.desktop" \
  "usr/share/metainfo/$app_id.metainfo.xml" \
  "usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
  usr/share/man/man1/quorvelle.1.gz \
  usr/share/doc/quorvelle/manual/manual.md \
  usr/share/doc/quorvelle/copyright \
  usr/share/doc/quorvelle/changelog.gz; do
  [ -s "$root/$file" ] || fail "/$file is missing or empty"
done

[ -x "$root/usr/bin/quorvelle" ] || fail "/usr/bin/quorvelle is not executable"
shown="$("$root/usr/bin/quorvelle" --version 2>&1)" || fail "the packaged program does not run"
[ "$shown" = "quorvelle $version" ] || fail "the packaged program says '$shown'"

desktop="$root/usr/share/applications/$app_id.desktop"
grep -qx "Exec=quorvelle" "$desktop" || fail "the menu entry does not start quorvelle"
grep -qx "Icon=$app_id" "$desktop" || fail "the menu entry does not name the packaged icon"
desktop-file-validate "$desktop" || fail "the menu entry is not valid"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
  fail "the AppStream metadata is not valid"

depends="$(dpkg-deb -f "$deb" Depends)"
for package in libc6 libqt6widgets6 libqt6sql6-sqlite libqt6sql6-psql; do
  grep -q "\b$package\b" <<<"$depends" || fail "Depends lacks $package: $depends"
done

lintian --fail-on error "$deb" >&2 ||
  fail "lintian reports errors"

[ "$failed" -eq 0 ] && echo "package check: $(basename "$deb") is complete"
exit "$failed"
