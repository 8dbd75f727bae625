#!/usr/bin/env bash
# The Debian package and its metadata: cpack builds the .deb from the build
# tree; its file list, its declared dependencies, and the binary extracted
# from it starting; every option --help lists appears in the man page; the
# AppStream metadata and the desktop entry validate; lintian reports no
# error and no warning (where lintian is installed; the set-up installs it).
#   tests/package/package.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(readlink -f "$1")
source=$(readlink -f "$2")
source "$source/tests/e2e/lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1)
deb=$(ls "$work"/torvik_3.03-1_*.deb 2>/dev/null | head -1)
check "cpack made torvik_3.03-1_<arch>.deb" test -n "$deb"
[ -n "$deb" ] || { cat "$work/cpack.log"; exit 1; }

files=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for path in ./usr/bin/torvik ./usr/share/torvik/TORVIK.HLP ./usr/share/applications/torvik.desktop \
  ./usr/share/icons/hicolor/128x128/apps/torvik.png ./usr/share/man/man1/torvik.1.gz \
  ./usr/share/metainfo/org.example.varn.torvik.metainfo.xml ./usr/share/doc/torvik/copyright \
  ./usr/share/doc/torvik/changelog.Debian.gz ./usr/share/torvik/schema/run.schema.json \
  ./usr/share/torvik/schema/history.schema.json ./usr/share/torvik/schema/compare.schema.json \
  ./usr/share/torvik/schema/trend.schema.json ./usr/share/torvik/schema/ranking.schema.json \
  ./usr/share/torvik/schema/sync.schema.json ./usr/share/torvik/schema/changes.schema.json \
  ./usr/share/torvik/schema/machines.schema.json; do
  check "the package holds $path" grep -qx "$path" <<<"$files"
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6widgets6 libqt6charts6 libqt6sql6-sqlite fonts-ipafont-gothic fonts-liberation2 \
  xdg-utils libwayland-client0 liburing2 libzstd1 libssl3; do
  check "it depends on $package" grep -qw "$package" <<<"$depends"
done
# What the program runs without, with less (README, "Installing").
for package in libqt6sql6-psql fonts-ipafont-mincho qt6-wayland; do
  check "it does not depend on $package" bash -c '! grep -qw "$1" <<<"$2"' _ "$package" "$depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for package in libqt6sql6-psql fonts-ipafont-mincho; do
  check "it recommends $package" grep -qw "$package" <<<"$recommends"
done
check "it suggests qt6-wayland" grep -qw qt6-wayland <<<"$(dpkg-deb -f "$deb" Suggests)"
check "version 3.03-1" test "$(dpkg-deb -f "$deb" Version)" = 3.03-1

dpkg-deb -x "$deb" "$work/root"
check "the packaged binary starts" test "$("$work/root/usr/bin/torvik" --version)" = "TORVIK 3.03"

# Every option of --help is documented in the man page (as \-\-name).
for option in $("$work/root/usr/bin/torvik" --help | grep -oE -- '--[a-z-]+' | sort -u); do
  check "the man page documents $option" grep -qF -- "$(sed 's/-/\\-/g' <<<"$option")" "$source/docs/torvik.1"
done
check "the man page renders" man -l "$source/docs/torvik.1" >/dev/null

metainfo="$source/docs/org.example.varn.torvik.metainfo.xml"
check "AppStream metadata validates" appstreamcli validate --no-net "$metainfo"
# No address that can never answer: the names kept for examples and tests
# (RFC 2606, RFC 6761) resolve nowhere.
check "the metadata names no reserved host" bash -c \
  '! grep -oE "[a-z]+://[^/\"<]*" "$1" | grep -qE "(^|[.:/])(example(\.(com|net|org))?|invalid|test|localhost)(:|$)"' \
  _ "$metainfo"
check "the desktop entry validates" desktop-file-validate "$source/docs/torvik.desktop"
if command -v lintian >/dev/null; then
  check "lintian: no error, no warning" lintian --fail-on error,warning "$deb"
else
  echo "lintian is not installed: the package's Debian checks are left out"
fi

echo "package: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
