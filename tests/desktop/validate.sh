#!/bin/sh
# Runs a desktop validator over a file; exits 77 (skipped) when the validator is not installed.
# usage: validate.sh desktop|metainfo FILE
set -u
case "$1" in
  desktop)
    command -v desktop-file-validate >/dev/null 2>&1 || { echo "desktop-file-validate not installed"; exit 77; }
    out=$(desktop-file-validate "$2" 2>&1) || { echo "$out"; exit 1; }
    # The validator exits 0 on hints and warnings too; the entry must be free of them.
    [ -z "$out" ] || { echo "$out"; exit 1; }
    ;;
  metainfo)
    command -v appstreamcli >/dev/null 2>&1 || { echo "appstreamcli not installed"; exit 77; }
    appstreamcli validate --no-net --pedantic "$2"
    ;;
  *)
    echo "unknown kind $1"; exit 2
    ;;
esac
