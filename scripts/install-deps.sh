#!/usr/bin/env bash
# Installs the Debian packages the station needs to build, run and test.
# Idempotent: packages already present are left alone. Uses sudo only when not root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qtbase5-dev libqt5sql5-sqlite libqt5serialport5-dev qttools5-dev qttools5-dev-tools
  libopencv-dev libgoogle-glog-dev libjsoncpp-dev libqcustomplot-dev libqt5svg5-dev
  libbenchmark-dev libcurl4-openssl-dev
  fonts-wqy-zenhei fontconfig
  socat mbpoll libmodbus-dev xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
