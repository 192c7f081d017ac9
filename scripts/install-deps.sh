#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine (as root, or with sudo).
set -euo pipefail

packages=(cmake g++ make libgtest-dev libgmock-dev googletest python3-ezdxf rsync)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
