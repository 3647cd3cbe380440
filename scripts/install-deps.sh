#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need.
# Idempotent: when everything is already installed it prints nothing and exits 0.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-multimedia-dev
  libmariadb-dev mariadb-server mariadb-client
  libsqlite3-dev sqlite3
  libgtest-dev
  poppler-utils
  cups cups-client cups-bsd printer-driver-cups-pdf
  fonts-dejavu-core fonts-noto-core fonts-noto-cjk fonts-symbola
  qt6-translations-l10n
  xvfb xauth
  g++-mingw-w64-x86-64
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: run as root to install: ${missing[*]}" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The database server and CUPS are started privately by the project's scripts;
# keep the package scripts from starting the system services.
# A policy file the machine already has is left as it is. The EXIT trap must not change the
# script's status: it ends with a command that succeeds whatever the branch.
policy=${QUILMARO_POLICY_RC:-/usr/sbin/policy-rc.d}
made_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' >"$policy"
  chmod +x "$policy"
  made_policy=1
fi
cleanup() {
  if [ "$made_policy" -eq 1 ]; then
    rm -f "$policy"
  fi
}
trap cleanup EXIT

apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
