#!/usr/bin/env bash
# Installs Debian packages that are missing (as root, or with sudo): the named ones, or without names
# what the build and the tests need.
#   scripts/install-deps.sh [PACKAGE...]
set -euo pipefail

if [ $# -gt 0 ]; then
  packages=("$@")
else
  packages=(cmake g++ make libgtest-dev libgmock-dev googletest libcli11-dev nlohmann-json3-dev python3-ezdxf rsync
            help2man dpkg-dev file lintian)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "== installing ${missing[*]}" >&2
  # Packages of another architecture (wine32:i386) need it enabled first.
  for p in "${missing[@]}"; do
    case "$p" in
      *:*) arch=${p##*:}
           dpkg --print-foreign-architectures | grep -qx "$arch" || $sudo dpkg --add-architecture "$arch" ;;
    esac
  done
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
