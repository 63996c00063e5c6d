#!/usr/bin/env bash
# Fails when an mDNS daemon runs in this machine's own network namespace (the one this script runs in).
# The LAN tests run their daemons only inside network namespaces they make; this is checked before and
# after them, so that a daemon on the machine's real interfaces is never left unnoticed.
set -euo pipefail
own=$(readlink /proc/self/ns/net)
found=0
for dir in /proc/[0-9]*; do
  [[ $(cat "$dir/comm" 2>/dev/null) == avahi-daemon ]] || continue
  ns=$(readlink "$dir/ns/net" 2>/dev/null) || continue
  if [[ $ns == "$own" ]]; then
    echo "check-host-mdns: avahi-daemon (pid ${dir#/proc/}) runs in this machine's own network namespace"
    found=1
  fi
done
if ((found)); then
  exit 1
fi
echo "check-host-mdns: no mDNS daemon in this machine's own network namespace"
