#!/usr/bin/env bash
# Packs the Windows cross-build into zarnok-<version>-windows-x64.zip: the
# game, its framework DLL, the music, the shipped best scores and a README.
# Usage: scripts/windows-release.sh [build folder, default build-mingw] [output folder, default dist]
# Prints the zip's path as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-mingw}
out=${2:-dist}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n "$version" ]] || { echo "no project version in $build/CMakeCache.txt" >&2; exit 1; }
name="zarnok-$version-windows-x64"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
for f in "$build/bin/zarnok.exe" "$build/bin/vorlap.dll" game/resources/music.zk game/resources/hiscores.zk; do
  [[ -f "$f" ]] || { echo "missing from the release: $f" >&2; exit 1; }
  cp "$f" "$stage/"
done
# The debugging symbols stay in the build folder.
x86_64-w64-mingw32-strip --strip-unneeded "$stage/zarnok.exe" "$stage/vorlap.dll"
# Windows' own editors expect CRLF line ends.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' packaging/windows/README.txt > "$stage/README.txt"

mkdir -p "$out"
zip="$(cd "$out" && pwd)/$name.zip"
rm -f "$zip"
# Fixed time stamps: the same build gives the same zip.
python3 - "$stage" "$zip" <<'PY'
import os, sys, zipfile
stage, target = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as z:
    for name in ("zarnok.exe", "vorlap.dll", "music.zk", "hiscores.zk", "README.txt"):
        info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        with open(os.path.join(stage, name), "rb") as f:
            z.writestr(info, f.read())
PY
echo "$zip"
