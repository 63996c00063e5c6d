#!/bin/sh
# Installs the build into an empty prefix and starts the systemd user unit's commands as the service
# manager would, for a user with an empty home: the first start makes the settings file from the template,
# and the service then shares the folder the file names. Run without a service manager, so the unit's
# own lines are read and run here (%h is the home folder). The test listens on loopback only, so nothing
# is announced.
# usage: check_user_unit.sh BUILD_DIR WORK_DIR
set -eu
build=$1
work=$2/unit
rm -rf "$work"
mkdir -p "$work/home/music"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
unit=$prefix/share/systemd/user/lanseek-service.service
[ -f "$unit" ] || { echo "missing after install: share/systemd/user/lanseek-service.service"; exit 1; }
home=$work/home
line() { sed -n "s/^$1=//p" "$unit" | sed "s|%h|$home|g"; }

# The first start: the settings come from the template, which names ~/Music.
sh -c "$(line ExecStartPre)"
grep -q '^library = ~/Music' "$home/.config/lanseek/service.conf" || { echo "no settings made from the template"; exit 1; }
# The user edits the file: another folder, this machine only, a port of the system's choosing.
printf 'library = ~/music\nlisten = 127.0.0.1:0\nname = 测试\n' >"$home/.config/lanseek/service.conf"
cp "$(dirname "$0")/../../catalogue/singers.txt" "$home/music/" 2>/dev/null || true
head -c 3000 /dev/urandom >"$home/music/甲 - 乙.mp3"

# shellcheck disable=SC2046
HOME=$home sh -c "exec $(line ExecStart)" >"$work/service.log" 2>&1 &
pid=$!
for _ in $(seq 50); do
  grep -q 'sharing' "$work/service.log" && break
  sleep 0.1
done
kill "$pid"
wait "$pid" || { echo "the service did not stop cleanly:"; cat "$work/service.log"; exit 1; }
grep -q "sharing 1 songs from $home/music on http://127.0.0.1:" "$work/service.log" || {
  echo "the unit's service did not share the folder its settings name:"
  cat "$work/service.log"
  exit 1
}
echo "the user unit starts the service over the folder its settings name"
