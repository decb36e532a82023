#!/usr/bin/env bash
# Makes the Debian package into a scratch folder, unpacks it as dpkg would and checks
# what a user gets: the command line runs, and the manual pages, the Debian documents
# and, with the dialog, the desktop entry, the icons, the AppStream metadata and the
# help are in place and valid. lintian must report no error, and none of the
# hardening flags missing.
#
#   check_package.sh CPACK BUILD_DIR SCRATCH_DIR WITH_DIALOG(0|1)
set -euo pipefail
cpack=$1 build=$2 scratch=$3 with_dialog=$4

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

rm -rf "$scratch"
mkdir -p "$scratch"
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log"
    exit 1
fi
debs=("$scratch"/reelwright_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single .deb in $scratch"; exit 1; }
deb=${debs[0]}
echo "package: $deb"

root=$scratch/root
dpkg-deb -x "$deb" "$root"

# The picture libraries beyond libjpeg and libpng must come with the package.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libwebp7 libwebpdemux2 libheif1; do
    [[ ",$depends," == *[\ ,]$library[\ ,\(]* ]] || fail "Depends does not name $library: $depends"
done

version=$("$root/usr/bin/reelwright-cli" --version)
[ "$version" = "reelwright-cli 1.9" ] || fail "reelwright-cli --version said '$version'"

expected=(
    usr/share/man/man1/reelwright-cli.1.gz
    usr/share/doc/reelwright/copyright
    usr/share/doc/reelwright/changelog.gz
)
if [ "$with_dialog" = 1 ]; then
    expected+=(
        usr/lib/reelwright/reelwright
        usr/share/man/man1/reelwright.1.gz
        usr/share/applications/reelwright.desktop
        usr/share/metainfo/example.reelwright.Reelwright.metainfo.xml
        usr/lib/reelwright/Moxwell_Reelwright.chm
        usr/lib/reelwright/help/index.html
        usr/lib/reelwright/help/help.css
    )
    for size in 16 32 48 64 128 256; do
        expected+=("usr/share/icons/hicolor/${size}x${size}/apps/reelwright.png")
    done
    [ "$(readlink "$root/usr/bin/reelwright")" = ../lib/reelwright/reelwright ] ||
        fail "usr/bin/reelwright is not a link to ../lib/reelwright/reelwright"
elif [ -e "$root/usr/share/applications" ] || [ -e "$root/usr/lib/reelwright" ]; then
    fail "a package without the dialog holds the dialog's files"
fi
for file in "${expected[@]}"; do
    [ -f "$root/$file" ] || fail "$file is missing"
done

# An icon must be as large as the folder it lies in says: bytes 16 to 23 of a PNG are
# its width and height.
for size in 16 32 48 64 128 256; do
    icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/reelwright.png
    [ -f "$icon" ] || continue
    measures=$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$measures" = "${size}x${size}" ] || fail "the ${size}x${size} icon measures $measures"
done

for page in "$root"/usr/share/man/man1/*.gz "$root"/usr/share/doc/reelwright/changelog.gz; do
    gzip -t "$page" || fail "$page is not a valid gzip file"
done
if [ "$with_dialog" = 1 ]; then
    desktop-file-validate "$root/usr/share/applications/reelwright.desktop" ||
        fail "desktop-file-validate refused the desktop entry"
    appstreamcli validate --no-net \
        "$root/usr/share/metainfo/example.reelwright.Reelwright.metainfo.xml" >"$scratch/appstream.log" 2>&1 ||
        { cat "$scratch/appstream.log"; fail "appstreamcli refused the metainfo"; }
fi

# lintian takes a few seconds on this package; its errors fail the test, its warnings
# are for scripts/package.sh to show. The programs must carry Debian's hardening flags.
if ! lintian --fail-on error --display-info "$deb" >"$scratch/lintian.log" 2>&1; then
    cat "$scratch/lintian.log"
    fail "lintian reports errors (or could not run)"
fi
if grep -E 'hardening-no-(bindnow|fortify-functions|relro|pie)' "$scratch/lintian.log"; then
    fail "lintian finds hardening flags missing"
fi

[ "$failures" -eq 0 ] || exit 1
echo "package checked: ${#expected[@]} files, lintian without errors"
