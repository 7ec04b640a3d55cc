#!/usr/bin/env bash
# Packs the build tree BUILD as a .deb, checks it with lintian, installs it, runs both programs from
# their installed paths on the samples beside this script, and removes the package again.
# Needs root (dpkg); exits 77 (skipped) otherwise.
set -euo pipefail
build="$1"
version="$2"
here="$(cd "$(dirname "$0")" && pwd)"

if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: installing a package needs root"
    exit 77
fi
if dpkg-query -W -f='${Status}' tavrimoskel 2>/dev/null | grep -q "installed"; then
    echo "a tavrimoskel package is installed already; this test installs and removes its own" >&2
    exit 1
fi

work="$(mktemp -d)"
cleanup() {
    dpkg --purge tavrimoskel >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    exit 1
}
deb="$(ls "$work"/tavrimoskel_*.deb)"
echo "built $deb"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
case "$depends" in *libqt6widgets6*) ;; *) fail "the dependencies miss the Qt widgets library: $depends" ;; esac
dpkg-deb -c "$deb" >"$work/contents"
for path in usr/bin/tavrimoskel usr/bin/tavrimoskel-script usr/lib/tavrimoskel/tavrimoskel \
    usr/lib/tavrimoskel/Languages/English.xml usr/share/applications/tavrimoskel.desktop \
    usr/share/mime/packages/tavrimoskel-events.xml usr/share/metainfo/org.tavrimoskel.Tavrimoskel.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/tavrimoskel.svg \
    usr/share/icons/hicolor/scalable/mimetypes/application-x-tavrimoskel-events.svg \
    usr/share/man/man1/tavrimoskel.1.gz usr/share/man/man1/tavrimoskel-script.1.gz; do
    grep -q " \./$path\( ->\|$\)" "$work/contents" || fail "the package lacks /$path"
done

lintian --fail-on error --suppress-tags-from-file /dev/null "$deb" | tee "$work/lintian.log" || fail "lintian reports errors"

dpkg -i "$deb" >/dev/null
out="$(QT_QPA_PLATFORM=offscreen /usr/bin/tavrimoskel --version)"
[ "$out" = "tavrimoskel $version" ] || fail "tavrimoskel --version printed '$out'"
out="$(/usr/bin/tavrimoskel-script "$here/sample.vbs" abc)"
[ "$out" = "sum 3.5 of 1 ABC" ] || fail "tavrimoskel-script printed '$out'"
out="$(/usr/bin/tavrimoskel-script --events "$here/sample.tvk" "$here/filter.vbs" | tail -n 1)"
[ "$out" = "1 would run, 0 would be skipped" ] || fail "the filter dry run printed '$out'"
desktop="$(grep '^Exec=' /usr/share/applications/tavrimoskel.desktop)"
[ "$desktop" = "Exec=tavrimoskel %f" ] || fail "the desktop entry runs '$desktop'"

dpkg --purge tavrimoskel >/dev/null
[ ! -e /usr/bin/tavrimoskel ] && [ ! -e /usr/lib/tavrimoskel ] || fail "files are left after removing the package"
echo "package installed, ran and was removed"
