#!/usr/bin/env bash
# Checks the cabinet's installation from a built tree (default build/release):
#  - `cmake --install` puts every program in bin/, the game's working-folder files (pictures,
#    sounds, question packs, nothing else) in share/brindlemark/, the systemd units and the
#    operator guide in their places;
#  - CPack's Debian package holds the same files, depends on the runtime libraries the programs
#    load, and its systemd units pass `systemd-analyze verify`;
#  - every unit runs as the package's own system user (made by sysusers.d from the postinst), never
#    as root, and is sandboxed: `systemd-analyze security --offline=true` rates the credit service
#    at most 2.5 and every other unit at most 5.0.
# Exits 0 when all holds, 1 with every fault listed, 77 when a needed tool is missing.
set -uo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/release}")
faults=0
fault() {
  echo "FAULT: $*" >&2
  faults=$((faults + 1))
}

for tool in cmake cpack dpkg-deb dpkg-shlibdeps systemd-analyze; do
  if ! command -v "$tool" >/dev/null; then
    echo "check-package: $tool is not installed; nothing checked" >&2
    exit 77
  fi
done
if [ ! -f "$build/CMakeCache.txt" ] || [ ! -d "$build/stage/Questions" ]; then
  echo "check-package: $build is not a built tree (configure and build it first)" >&2
  exit 1
fi

scratch=$(mktemp -d /tmp/brindlemark-package-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

programs=(brindlemark brindlemark-credit brindlemark-assets brindlemark-packs brindlemark-inspect
          brindlemark-audit brindlemark-sim brindlemark-cabinet brindlemark-telemetry
          brindlemark-collector brindlemark-fleet-setup brindlemark-broker brindlemark-console)
units=(brindlemark-credit.service brindlemark.service brindlemark-telemetry.service
       brindlemark-collector.service brindlemark-broker.service brindlemark-console.service)

# The files of the three working-folder trees the game reads, one path a line.
asset_list() { (cd "$1" && find Graphic_resource sounds Questions -type f 2>/dev/null | sort); }

# check_tree ROOT PREFIX: the installed layout under ROOT/PREFIX.
check_tree() {
  local root=$1 prefix=$2 where=$3
  local top=$root$prefix
  for p in "${programs[@]}"; do
    [ -x "$top/bin/$p" ] && [ -f "$top/bin/$p" ] || fault "$where: bin/$p missing or not executable"
  done
  local share=$top/share/brindlemark
  if [ ! -d "$share" ]; then
    fault "$where: share/brindlemark missing"
    return
  fi
  local extra
  extra=$(cd "$share" && ls -A | grep -vxE 'Graphic_resource|sounds|Questions')
  [ -z "$extra" ] && true || fault "$where: share/brindlemark holds more than the game's files: $extra"
  if ! diff <(asset_list "$build/stage") <(asset_list "$share") >"$scratch/assets.diff"; then
    fault "$where: share/brindlemark differs from the staged files:"
    head -n 20 "$scratch/assets.diff" >&2
  fi
  local count
  count=$(ls "$share/Questions/trueorfalse" 2>/dev/null | grep -cE '^Data[0-9]{2}\.pck$')
  [ "$count" = 48 ] || fault "$where: $count question packs instead of 48"
  for u in "${units[@]}"; do
    [ -f "$root/lib/systemd/system/$u" ] || [ -f "$top/lib/systemd/system/$u" ] ||
      fault "$where: systemd unit $u missing"
  done
  [ -f "$top/lib/sysusers.d/brindlemark.conf" ] || fault "$where: lib/sysusers.d/brindlemark.conf missing"
  for doc in operator-guide.md payout-table.md; do
    [ -f "$top/share/doc/brindlemark/$doc" ] || fault "$where: $doc missing from share/doc/brindlemark"
  done
}

echo "== cmake --install"
if cmake --install "$build" --prefix "$scratch/prefix" >"$scratch/install.log" 2>&1; then
  check_tree "$scratch/prefix" "" "cmake --install"
else
  fault "cmake --install failed:"
  tail -n 20 "$scratch/install.log" >&2
fi

echo "== cpack (Debian package)"
if ! cpack --config "$build/CPackConfig.cmake" -B "$scratch/deb" >"$scratch/cpack.log" 2>&1; then
  fault "cpack failed:"
  tail -n 20 "$scratch/cpack.log" >&2
  exit 1
fi
deb=$(ls "$scratch"/deb/*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
  fault "cpack made no .deb"
  exit 1
fi
echo "   $(basename "$deb"), $(du -h "$deb" | cut -f1)"

info=$(dpkg-deb -f "$deb" Package Version Architecture Depends Recommends)
echo "$info" | sed 's/^/   /'
depends=$(dpkg-deb -f "$deb" Depends)
# The libraries the programs load: SDL2, libmad, libpng and SQLite, with the C and C++ runtimes;
# the console's HTTP server and libsodium.
depends_names=$(echo "$depends" | tr ',' '\n' | awk '{print $1}')
for pkg in libc6 libstdc++6 libsdl2-2.0-0 libmad0 libpng16-16 libsqlite3-0 libcpp-httplib0.11 \
           libsodium23; do
  echo "$depends_names" | grep -qxF "$pkg" || fault "Depends lacks $pkg: $depends"
done
if echo "$depends" | grep -qE -- '-dev( |,|$)'; then fault "Depends names a development package"; fi
if grep -q '^BRINDLEMARK_SANITIZE:BOOL=OFF' "$build/CMakeCache.txt" &&
   echo "$depends" | grep -qE 'libasan|libubsan'; then
  fault "a build without sanitizers depends on their runtimes: $depends"
fi
dpkg-deb -f "$deb" Recommends | grep -q fonts-dejavu-core ||
  fault "the asset generator's fonts are not recommended"

dpkg-deb -x "$deb" "$scratch/root"
check_tree "$scratch/root" /usr ".deb"

echo "== the installed launcher"
# brindlemark-cabinet links the shared files into a working folder and starts the installed game,
# which without a credit service ends at once with status 2.
if (exec 3<>/dev/tcp/127.0.0.1/6667) 2>/dev/null; then
  echo "   skipped: a credit service listens on 127.0.0.1:6667"
else
  status=0
  BRINDLEMARK_SHARE=$scratch/root/usr/share/brindlemark PATH=$scratch/root/usr/bin:$PATH \
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 \
    timeout 60 "$scratch/root/usr/bin/brindlemark-cabinet" "$scratch/cabinet" \
    >"$scratch/cabinet.log" 2>&1 || status=$?
  [ "$status" = 2 ] || fault "the installed game ended with status $status instead of 2: $(cat "$scratch/cabinet.log")"
  for item in Graphic_resource sounds Questions; do
    [ -d "$scratch/cabinet/$item/" ] || fault "the launcher did not link $item into the cabinet folder"
  done
fi

echo "== systemd-analyze verify"
unitdir=$scratch/root/usr/lib/systemd/system
[ -d "$unitdir" ] || unitdir=$scratch/root/lib/systemd/system
# The units lean on the system's own targets; the scratch root borrows the host's.
for dir in /lib/systemd/system /usr/lib/systemd/system; do
  [ -d "$dir" ] && cp -an "$dir/." "$unitdir/" 2>/dev/null
done
if ! systemd-analyze verify --man=no --root="$scratch/root" "${units[@]/#/$unitdir/}" \
     >"$scratch/verify.log" 2>&1; then
  fault "systemd-analyze verify failed:"
  cat "$scratch/verify.log" >&2
elif [ -s "$scratch/verify.log" ]; then
  # Warnings about the units themselves count; notes about the host's own units do not.
  if grep -E 'brindlemark' "$scratch/verify.log" >&2; then fault "systemd-analyze verify warned"; fi
fi

echo "== the services' user and sandboxing"
# The system user the postinst makes, tried in a scratch root.
if ! dpkg-deb -e "$deb" "$scratch/control" || ! grep -q 'systemd-sysusers brindlemark.conf' \
     "$scratch/control/postinst" 2>/dev/null; then
  fault "the package's postinst does not make the brindlemark user"
fi
mkdir -p "$scratch/users/etc" "$scratch/users/usr/lib/sysusers.d"
cp "$scratch/root/usr/lib/sysusers.d/brindlemark.conf" "$scratch/users/usr/lib/sysusers.d/" 2>/dev/null
if ! systemd-sysusers --root="$scratch/users" brindlemark.conf >"$scratch/sysusers.log" 2>&1 ||
   ! grep -q '^brindlemark:' "$scratch/users/etc/passwd"; then
  fault "sysusers.d/brindlemark.conf makes no brindlemark user: $(cat "$scratch/sysusers.log")"
elif [ "$(awk -F: '$1 == "brindlemark" {print $3}' "$scratch/users/etc/passwd")" = 0 ]; then
  fault "the brindlemark user is root"
fi
for unit in "$unitdir"/brindlemark*.service; do
  name=$(basename "$unit")
  user=$(sed -n 's/^User=//p' "$unit" | tail -n 1)
  [ "$user" = brindlemark ] || fault "$name runs as '${user:-root}' instead of the brindlemark user"
  if grep -qE '^(DynamicUser|PermissionsStartOnly)=(yes|true|1)' "$unit" ||
     grep -qE '^Exec[A-Za-z]*=[-@:]*[+!]' "$unit"; then
    fault "$name runs something with full privileges"
  fi
  limit=5.0
  [ "$name" = brindlemark-credit.service ] && limit=2.5
  score=$(systemd-analyze security --offline=true "$unit" 2>/dev/null |
            sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')
  echo "   $name: exposure ${score:-unknown} (at most $limit)"
  if [ -z "$score" ] || awk -v s="$score" -v l="$limit" 'BEGIN { exit !(s > l) }'; then
    fault "$name: exposure ${score:-unknown} above $limit"
  fi
done

if [ "$faults" -gt 0 ]; then
  echo "check-package: $faults fault(s)" >&2
  exit 1
fi
echo "check-package: installation, package and units are in order"
