#!/usr/bin/env bash
# The LAN tests with real mDNS daemons: a LAN of three machines made of network namespaces on this one.
# Machines a and b run lanseek-service (three services with different libraries, two of them asking for
# the same name); machine c runs the discovery and the aggregator (the probe, a test program). c is
# joined to a and to b by a veth pair each, made inside the namespaces, so no link of this machine's own
# is touched. Each machine has its own hostname, /run, system D-Bus and avahi-daemon.
#
#   lan_namespaces.sh SERVICE_EXE PROBE_EXE [PROGRAM_EXE]
#
# With the program given, the program itself then runs on machine c under an X server of that machine's
# own, and lan_window_check.py drives it over the accessibility bus as a user would (skipped with a
# reason where Xvfb, xdotool or the accessibility tools are missing).
#
# Exits 77 (skipped) with the reason when namespaces cannot be made here; fails when an mDNS daemon runs
# in this machine's own network namespace, before or after.
set -uo pipefail
service_exe=$(realpath "$1")
probe_exe=$(realpath "$2")
program_exe=${3:+$(realpath "$3")}
here=$(cd "$(dirname "$0")" && pwd)
check_host=$here/../../scripts/check-host-mdns.sh

skip() {
  echo "lan namespaces: skipped: $*"
  exit 77
}
[[ $(id -u) -eq 0 ]] || skip "making network namespaces needs root"
for tool in ip unshare nsenter dbus-daemon avahi-daemon; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/deps.sh --tests installs it)"
done
bash "$check_host" || exit 1

tag=lsk$$
state=$(mktemp -d /tmp/lanseek-lan.XXXXXX)
machines=(a b c)

in_machine() {
  local m=$1
  shift
  nsenter -t "$(cat "$state/$m/holder.pid")" -n -m -u -- "$@"
}

# Ends the processes named by the pid files and waits until they have gone (killing what lingers).
stop_all() {
  local pids=() pid
  for file in "$@"; do
    [[ -s $file ]] && pids+=("$(cat "$file")")
  done
  ((${#pids[@]})) || return 0
  for pid in "${pids[@]}"; do
    kill -CONT "$pid" 2>/dev/null
    kill "$pid" 2>/dev/null
  done
  for _ in $(seq 50); do
    local alive=0
    for pid in "${pids[@]}"; do
      kill -0 "$pid" 2>/dev/null && alive=1
    done
    ((alive)) || return 0
    sleep 0.1
  done
  for pid in "${pids[@]}"; do
    kill -KILL "$pid" 2>/dev/null
  done
}

cleanup() {
  stop_all "$state"/*.service.pid
  for m in "${machines[@]}"; do
    stop_all "$state/$m/avahi.pid" "$state/$m/dbus.pid" "$state/$m/holder.pid"
  done
  for m in "${machines[@]}"; do
    ip netns del "$tag$m" 2>/dev/null
  done
  rm -rf "$state"
}
trap cleanup EXIT

for m in "${machines[@]}"; do
  ip netns add "$tag$m" 2>/dev/null || skip "cannot make a network namespace here"
  ip -n "$tag$m" link set lo up
done
# The links are made inside the namespaces: neither end ever exists on this machine's own side.
ip -n "${tag}c" link add lan-a type veth peer name lan-c netns "${tag}a" || skip "cannot make veth pairs here"
ip -n "${tag}c" link add lan-b type veth peer name lan-c netns "${tag}b"
ip -n "${tag}c" addr add 10.231.1.1/24 dev lan-a
ip -n "${tag}a" addr add 10.231.1.2/24 dev lan-c
ip -n "${tag}c" addr add 10.231.2.1/24 dev lan-b
ip -n "${tag}b" addr add 10.231.2.2/24 dev lan-c
ip -n "${tag}c" link set lan-a up
ip -n "${tag}c" link set lan-b up
ip -n "${tag}a" link set lan-c up
ip -n "${tag}b" link set lan-c up

for m in "${machines[@]}"; do
  dir=$state/$m
  mkdir -p "$dir/dbus" "$dir/avahi"
  # A mount and UTS namespace of its own gives the machine its name and its own /run/dbus and
  # /run/avahi-daemon; the holder keeps them alive until the end.
  ip netns exec "$tag$m" unshare -m -u --propagation private bash -c "
    hostname machine-$m
    mkdir -p /run/dbus /run/avahi-daemon
    mount --bind '$dir/dbus' /run/dbus
    mount --bind '$dir/avahi' /run/avahi-daemon
    dbus-daemon --system --fork --nopidfile --print-pid >'$dir/dbus.pid'
    avahi-daemon --no-drop-root --no-chroot --no-rlimits >'$dir/avahi.log' 2>&1 &
    echo \$! >'$dir/avahi.pid'
    echo \$\$ >'$dir/holder.pid'
    exec sleep infinity" &
done
for m in "${machines[@]}"; do
  for _ in $(seq 100); do
    [[ -s $state/$m/holder.pid ]] && grep -q 'Server startup complete' "$state/$m/avahi.log" 2>/dev/null && break
    sleep 0.1
  done
  grep -q 'Server startup complete' "$state/$m/avahi.log" || {
    echo "lan namespaces: the mDNS daemon of machine $m did not start:"
    cat "$state/$m/avahi.log"
    exit 1
  }
done

# Three libraries, each with songs of its own; every one has a song with "湖" in its name.
song() { mkdir -p "$(dirname "$1")" && head -c "$2" /dev/urandom >"$1"; }
song "$state/lib1/林小雨 - 湖光.mp3" 40000
song "$state/lib1/林小雨 - 夜航.mp3" 30000
song "$state/lib2/周远航 - 湖心.mp3" 50000
song "$state/lib3/阿青 - 湖畔.mp3" 60000
song "$state/lib3/阿青 - 山歌.mp3" 20000

start_service() { # machine, library, port, name, label
  nsenter -t "$(cat "$state/$1/holder.pid")" -n -m -u -- "$service_exe" --library "$state/$2" --listen "0.0.0.0:$3" --name "$4" >"$state/$5.log" 2>&1 &
  echo $! >"$state/$5.service.pid"
}
wait_announced() { # label
  for _ in $(seq 100); do
    grep -q 'announced on the LAN' "$state/$1.log" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "lan namespaces: service $1 was not announced:"
  cat "$state/$1.log"
  exit 1
}
# One after the other, so that the second of the two asking for the same name is the one that gets the
# daemon's alternative.
start_service a lib1 8080 "小林的 音乐" first
wait_announced first
start_service a lib2 8081 "小林的 音乐" second
wait_announced second
grep -q '小林的 音乐 #2' "$state/second.log" || {
  echo "lan namespaces: the second service did not take the alternative name:"
  cat "$state/second.log"
  exit 1
}
start_service b lib3 8080 "bob@machine-b" third
wait_announced third

LANSEEK_LAN_NAMES="小林的 音乐|小林的 音乐 #2|bob@machine-b" \
  LANSEEK_LAN_SONG="$state/lib3/阿青 - 湖畔.mp3" \
  LANSEEK_LAN_STOP_PID=$(cat "$state/second.service.pid") \
  LANSEEK_LAN_HANG_PID=$(cat "$state/third.service.pid") \
  QT_QPA_PLATFORM=offscreen \
  in_machine c "$probe_exe"
status=$?

# The daemon of machine a restarts: the service there announces itself again, and machine c finds it.
if ((status == 0)); then
  announced=$(grep -c 'announced on the LAN' "$state/first.log")
  stop_all "$state/a/avahi.pid"
  nsenter -t "$(cat "$state/a/holder.pid")" -n -m -u -- \
    avahi-daemon --no-drop-root --no-chroot --no-rlimits >"$state/a/avahi-again.log" 2>&1 &
  echo $! >"$state/a/avahi.pid"
  for _ in $(seq 150); do
    (($(grep -c 'announced on the LAN' "$state/first.log") > announced)) && break
    sleep 0.1
  done
  if (($(grep -c 'announced on the LAN' "$state/first.log") <= announced)); then
    echo "lan namespaces: the service did not announce itself again after its daemon restarted:"
    cat "$state/first.log"
    status=1
  else
    LANSEEK_LAN_NAMES="小林的 音乐|bob@machine-b" QT_QPA_PLATFORM=offscreen \
      in_machine c "$probe_exe" --gtest_filter='Lan.EveryService*' || status=1
  fi
fi

# A service whose machine has no mDNS daemon (no system bus at all) says so once and still serves.
if ((status == 0)); then
  nsenter -t "$(cat "$state/c/holder.pid")" -n -m -u -- unshare -m --propagation private sh -c \
    "mount -t tmpfs none /run/dbus && exec '$service_exe' --library '$state/lib1' --listen 10.231.1.1:8090" \
    >"$state/lonely.log" 2>&1 &
  echo $! >"$state/lonely.service.pid"
  for _ in $(seq 50); do
    grep -q 'no mDNS daemon answers' "$state/lonely.log" && break
    sleep 0.1
  done
  answer=$(in_machine c bash -c 'exec 3<>/dev/tcp/10.231.1.1/8090 && printf "GET / HTTP/1.0\r\n\r\n" >&3 &&
    head -n 1 <&3' 2>&1)
  if ! grep -q 'no mDNS daemon answers' "$state/lonely.log" || [[ $answer != "HTTP/1.1 200"* ]]; then
    echo "lan namespaces: without a daemon the service should say so and serve (answer: $answer):"
    cat "$state/lonely.log"
    status=1
  else
    echo "lan namespaces: without a daemon the service says so and serves: $(grep -c 'mDNS' "$state/lonely.log") line"
  fi
fi

# The program on machine c, as a user sees it: services "小林的 音乐" (machine a) and "bob@machine-b" run.
if ((status == 0)) && [[ -n $program_exe ]]; then
  missing=
  for tool in Xvfb xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || missing+=" $tool"
  done
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing+=" python3-pyatspi"
  if [[ -n $missing ]]; then
    echo "lan namespaces: the program's own check skipped: missing$missing"
  else
    # A copy of its own keeps its downloads in this LAN's folder.
    mkdir -p "$state/prog"
    cp "$program_exe" "$state/prog/lanseek"
    display=$((200 + $$ % 500))
    in_machine c env STATE="$state" DISPLAY_NUMBER="$display" CHECK="$here/lan_window_check.py" \
      LANSEEK_LAN_NAMES="小林的 音乐|bob@machine-b" LANSEEK_LAN_HOSTS="10.231.1.2:8080|10.231.2.2:8080" \
      LANSEEK_LAN_SONG="$state/lib3/阿青 - 湖畔.mp3" LANSEEK_LAN_SAVED="$state/prog/music/阿青 - 湖畔.mp3" \
      LANSEEK_LAN_STOP_PID="$(cat "$state/third.service.pid")" LANSEEK_LAN_STOP_NAME="bob@machine-b" \
      bash -c '
        # -noreset: the accessibility bus launcher leaves the display as the program arrives; a display that
        # resets when its last client goes would drop the program half connected.
        Xvfb ":$DISPLAY_NUMBER" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$STATE/xvfb.log" 2>&1 &
        x=$!
        # The display is there once its socket is; a loaded machine may take some seconds to start it.
        for _ in $(seq 100); do
          [[ -S /tmp/.X11-unix/X$DISPLAY_NUMBER ]] && break
          sleep 0.1
        done
        # Searches go to the LAN; the default service of this check answers nothing.
        export DISPLAY=":$DISPLAY_NUMBER" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LANSEEK_SERVICE=http://127.0.0.1:9
        dbus-run-session -- bash -c "
          /usr/libexec/at-spi-bus-launcher --launch-immediately &
          \"\$STATE/prog/lanseek\" >\"\$STATE/prog.log\" 2>&1 &
          p=\$!
          /usr/bin/python3 \"\$CHECK\"
          r=\$?
          kill \$p
          exit \$r"
        r=$?
        kill $x
        exit $r' || {
      echo "lan namespaces: the program on the LAN did not behave; its log:"
      cat "$state/prog.log"
      echo "lan namespaces: its display's log:"
      cat "$state/xvfb.log"
      status=1
    }
  fi
fi

cleanup
trap - EXIT
bash "$check_host" || exit 1
exit "$status"
