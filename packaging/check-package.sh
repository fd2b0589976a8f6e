#!/usr/bin/env bash
# Builds the Debian package from a finished build folder, unpacks it into a scratch
# root and runs what it installed: lum --version, lumtool scan on a small sample card,
# and the desktop-entry and AppStream validators. Every dependency the package names
# must be a package installed here (the machine that has just run the program).
#   packaging/check-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: check-package.sh BUILD_DIR}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "check-package: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
debs=("$scratch"/out/lum_*.deb)
[ -f "${debs[0]}" ] || fail "no package in $scratch/out"
deb=${debs[0]}
echo "package: $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"

# The file list.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$scratch/files"
id=org.lumviewer.lum
for f in /usr/bin/lum /usr/bin/lumtool /usr/share/applications/$id.desktop \
         /usr/share/icons/hicolor/scalable/apps/$id.svg /usr/share/metainfo/$id.metainfo.xml; do
  grep -qx "$f" "$scratch/files" || fail "$f missing from the package"
done

# Every dependency (each alternative list: one of them) is a package of this machine.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for want in libvlc5 vlc-plugin-base vlc-plugin-video-output libqt6widgets6 libqt6webenginewidgets6; do
  [[ ",$depends" == *", $want"* || ",$depends" == *",$want"* ]] || fail "Depends lacks $want"
done
IFS=',' read -ra groups <<<"$depends"
for group in "${groups[@]}"; do
  found=0
  IFS='|' read -ra alternatives <<<"$group"
  for alt in "${alternatives[@]}"; do
    name=$(awk '{print $1}' <<<"$alt")
    name=${name%%:*}
    if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q "install ok installed"; then
      found=1
    fi
  done
  [ "$found" -eq 1 ] || fail "dependency not installed here: $group"
done

# Run what the package installs.
dpkg-deb -x "$deb" "$scratch/root"
version=$(dpkg-deb -f "$deb" Version)
got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$scratch/root/usr/bin/lum" --version)
[ "$got" = "lum $version" ] || fail "lum --version says '$got', the package is $version"
env -u DISPLAY -u WAYLAND_DISPLAY "$scratch/root/usr/bin/lum" --help | grep -q "Usage: lum" ||
  fail "lum --help"
"$build/tools/make-card/lum-make-card" "$scratch/card" --minutes 8 --seconds-per-recording 4 \
  --size 160x90 --fps 5 >/dev/null
"$scratch/root/usr/bin/lumtool" scan "$scratch/card" --json >"$scratch/installed.json"
"$build/tools/lumtool/lumtool" scan "$scratch/card" --json >"$scratch/built.json"
cmp -s "$scratch/installed.json" "$scratch/built.json" ||
  fail "the installed lumtool scan differs from the built one"
rows=$(grep -o '"fileName"' "$scratch/installed.json" | wc -l)
[ "$rows" -gt 0 ] || fail "the installed lumtool scan listed nothing"
echo "installed lumtool scan: $rows recordings; $got"

desktop-file-validate "$scratch/root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/$id.metainfo.xml" >/dev/null
echo "desktop-file-validate and appstreamcli validate: passed"
