#!/usr/bin/env bash
# CI: the Windows release played under Wine, whose DirectDraw, DirectSound and
# DirectInput are written independently of our layer. The release zip is
# unpacked in a fresh folder and run in a fresh Wine prefix; the end-to-end
# driver plays the same scripted game on the native build and on the Windows
# one, and the two must show the same screens and write the same best scores.
# Usage: scripts/ci-wine.sh [native build folder, default build] [release zip, default the one in dist/]
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

ZARNOK_WITH_WINE=1 bash scripts/install-deps.sh
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver

native=${1:-build}
zip=${2:-$(ls dist/zarnok-*-windows-x64.zip | tail -n 1)}
work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
# No downloads of Wine's .NET and HTML engines into the fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's ALSA reads its set-up from HOME: there the default sound device is
# the null one. Only the Wine commands get that HOME.
wine_home="$work/home"
in_wine_home() { HOME="$wine_home" "$@"; }
cleanup() {
  "$server" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "== the release: $zip"
mkdir -p "$work/release" "$wine_home"
python3 -m zipfile -e "$zip" "$work/release"
for f in zarnok.exe vorlap.dll music.zk hiscores.zk README.txt; do
  [[ -f "$work/release/$f" ]] || { echo "the release lacks $f"; exit 1; }
done
cmp "$work/release/hiscores.zk" game/resources/hiscores.zk
cmp "$work/release/music.zk" game/resources/music.zk

echo "== a fresh Wine prefix"
cat > "$wine_home/.asoundrc" <<'ALSA'
pcm.!default { type null }
ALSA
in_wine_home "$wine" wineboot --init > "$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
# Xvfb has no 800 x 600 x 16 mode to switch to: an 800 x 600 virtual desktop
# gives the game's exclusive mode one. It is set in the prefix, not through
# `wine explorer /desktop=`, so that the exit code seen is the game's own.
in_wine_home "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
in_wine_home "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null
"$server" -w
echo "prefix ready after $((SECONDS - started)) s"

echo "== the same game on the native build and on the Windows build under Wine"
python3 tests/e2e/zarnok_e2e.py --zarnok "$native/bin/zarnok" --resources game/resources \
  --capture "$work/native" whole_game
in_wine_home python3 tests/e2e/zarnok_e2e.py --wine "$wine" --zarnok "$work/release/zarnok.exe" --resources game/resources \
  --music "$work/release/music.zk" --reference "$work/native" whole_game
"$server" -k 2>/dev/null || true
echo "Wine leg done in $((SECONDS - started)) s"
