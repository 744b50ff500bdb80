#!/bin/sh
# Installs every Debian package the project needs (Debian 12).
set -e
SUDO=
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
PACKAGES="
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-image-formats-plugins libgl-dev
  libjpeg62-turbo-dev libbenchmark-dev
  cups printer-driver-cups-pdf poppler-utils
  clang libclang-rt-14-dev
  xvfb xauth xclip imagemagick libmagickcore-6.q16-6-extra libwmf-bin desktop-file-utils
  fonts-liberation2 fonts-dejavu-core
  openclipart-svg fonts-lobster fonts-lobstertwo fonts-dustin fonts-beteckna fonts-breip
  fonts-humor-sans fonts-comic-neue fonts-blankenburg fonts-femkeklaver fonts-urw-base35
"
missing=
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
