#!/bin/sh
# Installs the Debian packages the build, the tests and the benchmarks need,
# only those missing; apt-get update runs only when something is missing.
set -eu

PACKAGES="
  build-essential g++ cmake make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libtinyobjloader-dev
  freeglut3-dev libglew-dev libglu1-mesa-dev libgl-dev libgl1-mesa-dri libglx-mesa0
  libopenal-dev liblodepng-dev libpcg-cpp-dev libsdl2-dev
  xdotool x11-utils x11-apps xfonts-base imagemagick python3
  xvfb xauth
  clang libclang-rt-14-dev
"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -z "$missing" ]; then
  echo "deps: all packages present"
  exit 0
fi

echo "deps: installing$missing"
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
