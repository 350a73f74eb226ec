#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine with apt-get and checks what got
# installed: the programs in /usr/bin run on the installed sample (the window offscreen),
# and the desktop entry, AppStream metadata, MIME type, icons and manual pages are in place
# and valid. Removes the package again at the end. Runs apt-get as root (sudo when not root).
# Usage: scripts/check-package.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh package

as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
app_id=org.vantrel.Vantrel
data=/usr/share/vantrel
sample=$data/VantrelSample.dll
work=$(mktemp -d)
failures=0

fail() {
  echo "check-package: FAILED: $*" >&2
  failures=$((failures + 1))
}
remove_package() {
  if dpkg-query -W vantrel >/dev/null 2>&1; then
    "${as_root[@]}" apt-get purge -y -q vantrel >/dev/null || true
  fi
  rm -rf "$work"
}

rm -f build/package/vantrel_*.deb
cmake --workflow --preset package
deb=$(echo build/package/vantrel_*_*.deb)
[[ -f "$deb" ]] || { echo "check-package: no package was made" >&2; exit 1; }
dpkg-deb --info "$deb" | sed -n '/Depends:/p;/Installed-Size:/p'

trap remove_package EXIT
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$top/$deb"

# Every file in its place.
installed=(/usr/bin/vantrel /usr/bin/vantrel-report "$data/default.html" "$sample"
           "/usr/share/applications/$app_id.desktop" "/usr/share/metainfo/$app_id.metainfo.xml"
           /usr/share/mime/packages/vantrel.xml /usr/share/icons/hicolor/scalable/apps/vantrel.svg)
for file in "${installed[@]}"; do
  [[ -s "$file" ]] || fail "$file is not installed"
done
ldd /usr/bin/vantrel /usr/bin/vantrel-report | grep 'not found' && fail "a library is missing"

# Icons: a PNG of the size its folder names (width and height from the IHDR chunk).
for size in 16 22 24 32 48 64 128 256; do
  icon=/usr/share/icons/hicolor/${size}x${size}/apps/vantrel.png
  read -r -a header <<<"$(od -An -tu1 -j16 -N8 "$icon" 2>/dev/null || true)"
  width=$(( (${header[2]:-0} << 8) + ${header[3]:-0} ))
  height=$(( (${header[6]:-0} << 8) + ${header[7]:-0} ))
  [[ $width == "$size" && $height == "$size" ]] || fail "$icon is ${width}x$height, not ${size}x$size"
done

# Manual pages, read from the package: minimal images may keep dpkg from installing them.
for page in vantrel vantrel-report; do
  text=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/man/man1/$page.1.gz" | gzip -dc) || true
  grep -q '^\.SH SYNOPSIS' <<<"$text" || fail "manual page $page(1) is missing or has no synopsis"
done

# The desktop's view: valid metadata, and the package's triggers ran.
desktop-file-validate "/usr/share/applications/$app_id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml" || fail "AppStream metadata"
[[ -f /usr/share/mime/application/x-ms-typelib.xml ]] || fail "the MIME database lacks application/x-ms-typelib"
grep -q "^application/x-ms-typelib=.*$app_id.desktop" /usr/share/applications/mimeinfo.cache ||
  fail "the desktop database does not offer Vantrel for type libraries"

# The command-line tool on the installed sample: type names, a page, and --out.
/usr/bin/vantrel-report "$sample" >"$work/types" || fail "vantrel-report $sample"
grep -qx SampleControl "$work/types" || fail "vantrel-report lists no SampleControl"
/usr/bin/vantrel-report "$sample" SampleControl >"$work/page.html" || fail "vantrel-report's page"
grep -qF "Properties, Methods, Events and Constants of $sample" "$work/page.html" ||
  fail "vantrel-report's page has no heading"
/usr/bin/vantrel-report --out "$work/pages" "$sample" || fail "vantrel-report --out"
pages=$(find "$work/pages" -name 'VantrelSample.dll_*.html' | wc -l)
[[ $pages == $(wc -l <"$work/types") ]] || fail "vantrel-report --out wrote $pages pages"

# The window, offscreen, with the sample: still running after a few seconds, then stopped.
status=0
HOME="$work" XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=offscreen \
  timeout 5 /usr/bin/vantrel "$sample" 2>"$work/window.log" || status=$?
[[ $status == 124 ]] || { cat "$work/window.log" >&2; fail "vantrel ended with status $status"; }

"${as_root[@]}" apt-get purge -y -q vantrel >/dev/null
[[ ! -e /usr/bin/vantrel && ! -e "$data" ]] || fail "files are left after the package was removed"

if ((failures)); then
  echo "check-package: $failures checks failed" >&2
  exit 1
fi
echo "check-package: the installed package works"
