#!/usr/bin/env bash
# Installs the Debian 12 packages lanseek needs to build, run and test; does nothing when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-qpa-plugins qt6-translations-l10n
  libcurl4-openssl-dev libavahi-client-dev libgumbo-dev zlib1g-dev libdeflate-dev libtag1-dev libmicrohttpd-dev libmicrohttpd12 libcpp-httplib-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav
  gstreamer1.0-tools
  fonts-wqy-microhei xvfb xauth
  dbus dbus-daemon
)
if [[ "${1:-}" == "--tests" ]]; then
  # nginx-light and wrk: the reference server and the load of the service's HTTP benchmark. playerctl: a
  # media remote of the desktop's, which the desktop tests drive the running program with. The accessibility
# tools and xdotool: the LAN test drives the program as a user does.
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev clang-format clang-tidy python3
    nginx-light wrk desktop-file-utils appstream aria2 playerctl
    avahi-daemon avahi-utils dbus iproute2 util-linux
    python3-pyatspi at-spi2-core xdotool)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  # The LAN tests run their own mDNS daemons inside network namespaces they make; the daemon must never
  # start on this machine's own interfaces, so services are forbidden to start while packages install:
  # a policy-rc.d of ours that refuses every start stands in for the whole install (one that was there
  # before is put aside and comes back afterwards).
  policy=/usr/sbin/policy-rc.d
  saved=
  if [[ -e $policy ]]; then
    saved=$(mktemp /usr/sbin/policy-rc.d.saved.XXXXXX)
    "${sudo_cmd[@]}" mv "$policy" "$saved"
  fi
  printf '#!/bin/sh\nexit 101\n' | "${sudo_cmd[@]}" tee "$policy" >/dev/null
  "${sudo_cmd[@]}" chmod 755 "$policy"
  status=0
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" ||
    status=$?
  "${sudo_cmd[@]}" rm -f "$policy"
  if [[ -n $saved ]]; then
    "${sudo_cmd[@]}" mv "$saved" "$policy"
  fi
  exit "$status"
fi
