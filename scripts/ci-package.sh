#!/usr/bin/env bash
# CI: builds the Debian package and checks it as a player would meet it.
# Lints it and its desktop entry and store metadata, installs it with apt,
# plays a short game with a fresh empty HOME (the best score must land in
# that home's data folder and nothing be written anywhere else), starts it
# once more without any audio driver (it must reach the title and say that
# sound is off), then removes it and checks that none of its files remain.
# Runs as root (or with sudo), on the machine's own package system.
set -euo pipefail
cd "$(dirname "$0")/.."
checkout=$PWD
ZARNOK_WITH_PACKAGING=1 bash scripts/install-deps.sh
sudo_cmd=()
[[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)

build=${ZARNOK_PACKAGE_BUILD_DIR:-build-package}
echo "== the package"
# ZARNOK_CMAKE_ARGS holds several options: split on blanks, on purpose.
read -r -a cmake_args <<< "${ZARNOK_CMAKE_ARGS:-}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DZARNOK_TESTS=OFF -DZARNOK_BENCHMARKS=OFF "${cmake_args[@]}"
cmake --build "$build"
rm -f "$build"/zarnok_*.deb
(cd "$build" && cpack -G DEB)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/zarnok_${version}_amd64.deb"
test -f "$deb" || { echo "no $deb"; exit 1; }

echo "== contents: these files and nothing else"
libdir=usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/zarnok
expected=(usr/games/zarnok "$libdir/libvorlap.so" "$libdir/libwinlayer.so"
          usr/share/applications/org.zarnok.Zarnok.desktop usr/share/metainfo/org.zarnok.Zarnok.metainfo.xml
          usr/share/doc/zarnok/changelog.gz usr/share/doc/zarnok/copyright
          usr/share/games/zarnok/hiscores.zk usr/share/games/zarnok/music.zk usr/share/man/man6/zarnok.6.gz)
for size in 16 22 24 32 48 64 128 256; do expected+=("usr/share/icons/hicolor/${size}x${size}/apps/zarnok.png"); done
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort)
if [[ "$actual" != "$(printf '%s\n' "${expected[@]}" | sort)" ]]; then
  echo "the package holds:"; echo "$actual"; exit 1
fi

echo "== lint: package, desktop entry, store metadata"
status=0
said=$(lintian --fail-on error "$deb" 2>&1) || status=$?
grep -v 'root privileges' <<<"$said" || true
[[ $status -eq 0 ]] || { echo "lintian reports errors"; exit 1; }
desktop-file-validate packaging/org.zarnok.Zarnok.desktop
said=$(appstreamcli validate --no-net packaging/org.zarnok.Zarnok.metainfo.xml 2>&1) || { echo "$said"; exit 1; }
echo "$said"
if grep -qE '^(E|W):' <<<"$said"; then echo "the store metadata has errors or warnings"; exit 1; fi

echo "== install"
if dpkg-query -W zarnok >/dev/null 2>&1; then echo "zarnok is installed already"; exit 1; fi
installed=0
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "./$deb"
dpkg-query -L zarnok | sort > "$build/package-files.txt"
program=/usr/games/zarnok
"$program" --version | grep -qx "zarnok $version"
# The private libraries are found relative to the program, never in the system's folders.
readelf -d "$program" | grep -q 'RUNPATH.*\[\$ORIGIN/\.\./lib/[^]]*zarnok\]' || { echo "no relative RUNPATH"; exit 1; }

scratch=$(mktemp -d /var/tmp/zarnok-package-XXXXXX)
installed=1
cleanup() {
  rm -rf "$scratch"
  # A failed check must not leave the package on the machine.
  if [[ $installed == 1 ]]; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get remove --purge -y -qq zarnok >/dev/null 2>&1 || true
  fi
}
trap cleanup EXIT
home="$scratch/home" here="$scratch/here"
mkdir -p "$home" "$here"
stamp="$scratch/stamp"
sleep 1
touch "$stamp"

# The game runs with a /tmp of its own (a fresh tmpfs in a private mount
# namespace), so that what it writes there can be told from what other
# programs of the machine write: afterwards only the X server's files may be
# in it. The checkout may itself lie under /tmp, so the driver runs from a
# view of it bound outside /tmp before the tmpfs hides the original.
export PYTHONDONTWRITEBYTECODE=1
play() {
  "${sudo_cmd[@]}" unshare --mount bash -c \
    'checkout=$1 view="'"$scratch"'/checkout"; shift
     mount --make-rprivate / && mkdir -p "$view" && mount --bind "$checkout" "$view" &&
       mount -t tmpfs tmpfs /tmp && cd "$view" && status=0 && python3 "$@" || status=$?
     find /tmp -mindepth 1 > "'"$scratch"'/tmp-written.txt"; exit $status' \
    play "$PWD" scripts/package-game.py --resources game/resources --home "$home" --cwd "$here" "$@" "$program"
  local new
  new=$(grep -vE '^/tmp/\.X11-unix(/X[0-9]+)?$|^/tmp/\.X[0-9]+-lock$|\.xkm$' "$scratch/tmp-written.txt" || true)
  [[ -z "$new" ]] || { echo "written in /tmp: $new"; return 1; }
}

echo "== a short game from a fresh home"
play --name ci
data="$home/.local/share/zarnok"
python3 - "$data/hiscores.zk" <<'PY'
import struct, sys
table = open(sys.argv[1], "rb").read()
assert len(table) == 180, f"{len(table)} bytes"
names = [table[i * 16:i * 16 + 16].decode().rstrip() for i in range(10)]
scores = struct.unpack("<10H", table[160:])
assert "ci" in names, f"no entry for ci: {names}"
print(f"best scores: ci has {scores[names.index('ci')]}, place {names.index('ci') + 1}")
PY
[[ $(stat -c %a "$data") == 700 ]] || { echo "the data folder is not private"; exit 1; }
[[ -L "$data/music.zk" && $(readlink "$data/music.zk") == /usr/share/games/zarnok/music.zk ]] \
  || { echo "music.zk is not a link to the shipped music"; exit 1; }
written=$(cd "$home" && find . -mindepth 1 -not -type d | sort | tr '\n' ' ')
[[ "$written" == "./.local/share/zarnok/hiscores.zk ./.local/share/zarnok/music.zk " ]] \
  || { echo "the home holds: $written"; exit 1; }
[[ -z $(ls -A "$here") ]] || { echo "the current folder holds: $(ls -A "$here")"; exit 1; }
changed=$(find "$checkout" -newer "$stamp" -not -path "$checkout/build*" -not -path "$checkout/.git/*" | head)
[[ -z "$changed" ]] || { echo "written in the checkout: $changed"; exit 1; }

echo "== again without any audio driver"
play --silent --title-only | tee "$scratch/silent.txt"
grep -q "sound is off" "$scratch/silent.txt" || { echo "no word that sound is off"; exit 1; }

echo "== bad data folders: the game still reaches its title and says why scores are not kept"
kept=$(sha256sum "$data/hiscores.zk")
for bad in folder-is-a-file table-is-a-folder; do
  home="$scratch/$bad" data="$scratch/$bad/.local/share/zarnok"
  case $bad in
    folder-is-a-file) mkdir -p "$(dirname "$data")"; echo "not a folder" > "$data"; reason="$data: not a folder" ;;
    table-is-a-folder) mkdir -p "$data/hiscores.zk"; reason="$data/hiscores.zk: not a file" ;;
  esac
  play --title-only | tee "$scratch/$bad.txt"
  grep -qF "zarnok: $reason; best scores will not be kept" "$scratch/$bad.txt" \
    || { echo "$bad: no clear line on stderr"; exit 1; }
done
# A music link left dangling (the shipped file moved) is made again; the
# scores in that folder stay as they were.
home="$scratch/home" data="$scratch/home/.local/share/zarnok"
ln -sfn /usr/share/games/zarnok-moved/music.zk "$data/music.zk"
play --title-only
[[ $(readlink "$data/music.zk") == /usr/share/games/zarnok/music.zk ]] || { echo "music.zk still dangles"; exit 1; }
[[ $(sha256sum "$data/hiscores.zk") == "$kept" ]] || { echo "hiscores.zk changed without a save"; exit 1; }

echo "== a recorded game replays installed, in a folder of its own: the player's scores stay"
replays="$scratch/replay-tmp"
mkdir -p "$replays"
HOME="$home" TMPDIR="$replays" "$program" --replay "$checkout/tests/replay/games/raging-loss.zkj" --headless \
  --frame-hashes "$scratch/replay.frames"
cmp "$scratch/replay.frames" "$checkout/tests/replay/games/raging-loss.frames" || { echo "the replay's frames differ"; exit 1; }
[[ $(sha256sum "$data/hiscores.zk") == "$kept" ]] || { echo "a replay changed the player's hiscores.zk"; exit 1; }
[[ -z $(ls -A "$replays") ]] || { echo "the replay left behind: $(ls -A "$replays")"; exit 1; }

echo "== remove"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get remove --purge -y -qq zarnok
installed=0
left=()
while read -r path; do
  [[ -e "$path" && ! -d "$path" ]] && left+=("$path")
done < "$build/package-files.txt"
for folder in /usr/share/games/zarnok /usr/share/doc/zarnok /usr/lib/zarnok /usr/lib/x86_64-linux-gnu/zarnok; do
  [[ -e "$folder" ]] && left+=("$folder")
done
[[ ${#left[@]} -eq 0 ]] || { echo "left after removal: ${left[*]}"; exit 1; }
echo "package checks passed"
