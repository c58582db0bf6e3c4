#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (run as root). Safe to run
# again: it does nothing when everything is there. Wine's 32-bit half (wine32:i386) is
# installed only where this machine can execute 32-bit code; the 32-bit build is
# compiled everywhere.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# clang with its runtime libraries (libFuzzer, ASan, UBSan) builds the fuzz targets; zlib
# (static, for both Windows bitnesses and natively) goes into the ZMBV codec.
pkgs=(cmake make g++ googletest clang-format clang libclang-rt-dev
      g++-mingw-w64-x86-64 mingw-w64-x86-64-dev g++-mingw-w64-i686 mingw-w64-i686-dev
      wine wine64 xvfb x11-utils xauth xdotool imagemagick
      ffmpeg sox libsox-fmt-pulse pulseaudio pulseaudio-utils python3 procps nsis
      zlib1g-dev libz-mingw-w64-dev
      libxinerama1 libxrandr2)
# Wine finds the monitors through Xinerama and RandR, whose libraries it only recommends:
# without them a bench of two monitors shows one.
i386_pkgs=(wine32:i386 libxinerama1:i386 libxrandr2:i386)
with_i386=0
if "$here/can-run-32bit" >/dev/null; then
    with_i386=1
    pkgs+=("${i386_pkgs[@]}")
fi
# A library installed for both architectures is ambiguous by its bare name: it is asked
# for by the machine's own architecture too.
native=$(dpkg --print-architecture)
missing=()
for p in "${pkgs[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || dpkg -s "$p:$native" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" != 0 ]; then
    echo "deps: missing packages (${missing[*]}); run this as root to install them" >&2
    exit 1
fi
echo "deps: installing ${missing[*]}"
if [ $with_i386 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A machine just started may be running its own updates, and two runs may install at
# once: apt waits for the other to let go instead of failing at once.
apt_get() { apt-get -o DPkg::Lock::Timeout=600 "$@"; }
# A mirror caught mid-sync fails one index now and then; the install can often go on
# with the rest, so a failed update is retried and then left to the install to judge.
for attempt in 1 2 3; do
    apt_get update -qq && break
    echo "deps: apt-get update failed (attempt $attempt of 3)" >&2
    [ $attempt -lt 3 ] && sleep 20
done
# Wine's 32-bit half goes on its own: it needs the mirror's i386 index to match the
# 64-bit one to the version, and where it cannot be had the 32-bit suite is skipped
# (and says why) while everything else is installed and tested.
base=() half=()
for p in "${missing[@]}"; do
    case $p in *:i386) half+=("$p") ;; *) base+=("$p") ;; esac
done
if [ ${#base[@]} -gt 0 ]; then
    apt_get install -y -qq --no-install-recommends "${base[@]}" >/dev/null
fi
if [ ${#half[@]} -gt 0 ] &&
   ! apt_get install -y -qq --no-install-recommends "${half[@]}" >/dev/null; then
    echo "deps: wine32:i386 could not be installed; the 32-bit suite will be skipped" >&2
fi
