#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (run as root). Safe to run
# again: it does nothing when everything is there.
set -euo pipefail
pkgs=(cmake make g++ googletest g++-mingw-w64-i686 mingw-w64-i686-dev
      wine wine32:i386 wine64 xvfb x11-utils xauth xdotool imagemagick
      ffmpeg sox libsox-fmt-pulse pulseaudio pulseaudio-utils python3 procps)
missing=()
for p in "${pkgs[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" != 0 ]; then
    echo "deps: missing packages (${missing[*]}); run this as root to install them" >&2
    exit 1
fi
echo "deps: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
