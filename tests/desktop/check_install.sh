#!/bin/sh
# Installs the build into an empty prefix and checks that everything a desktop installation needs is there:
# the three programs, the demo catalogue where the installed programs look for it, the menu entry, the
# icons and the software-centre description.
# usage: check_install.sh BUILD_DIR WORK_DIR
set -eu
build=$1
prefix=$2/prefix
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
missing=0
need() {
  if [ ! -e "$prefix/$1" ]; then
    echo "missing after install: $1"
    missing=1
  fi
}
for program in lanseek lanseek-service lanseek-skin; do
  need "bin/$program"
  [ -x "$prefix/bin/$program" ] || { echo "not executable: bin/$program"; missing=1; }
done
# The programs look for the catalogue in ../share/lanseek/catalogue beside their own folder.
need share/lanseek/catalogue/singers.txt
ls "$prefix/share/lanseek/catalogue"/*/ >/dev/null 2>&1 || { echo "the installed catalogue holds no singer"; missing=1; }
need share/applications/org.lanseek.lanseek.desktop
need share/metainfo/org.lanseek.lanseek.metainfo.xml
need share/icons/hicolor/scalable/apps/lanseek.svg
for size in 16 22 24 32 48 64 128 256; do
  need "share/icons/hicolor/${size}x${size}/apps/lanseek.png"
done
exit $missing
