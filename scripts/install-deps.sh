#!/usr/bin/env bash
# Installs what building, running and testing need, from Debian's packages.
# Only missing packages are installed; nothing is downloaded otherwise.
# Extra package names may be given as arguments; a name with an
# architecture suffix (libjson-c-dev:armhf) adds that architecture to dpkg
# first.
set -euo pipefail

packages=(build-essential cmake g++ pkg-config libjson-c-dev libsqlite3-dev libssl-dev
          libgtest-dev libgmock-dev lighttpd curl procps openssl unzip ffmpeg tcpdump iproute2)
packages+=("$@")

missing=()
for pkg in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
for pkg in "${missing[@]}"; do
    case "$pkg" in
    *:*)
        arch=${pkg##*:}
        if [ "$arch" != "$(dpkg --print-architecture)" ] &&
           ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
            echo "Adding architecture $arch"
            "${sudo_cmd[@]}" dpkg --add-architecture "$arch"
        fi
        ;;
    esac
done
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
