#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running need,
# or the packages named on the command line.
# Skips apt-get entirely when everything is already there.
set -euo pipefail

packages=("$@")
[ $# -gt 0 ] || packages=(
  cmake ninja-build g++ clang-14 libclang-rt-14-dev ccache
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  qt6-base-dev qt6-translations-l10n libgl1-mesa-dev fonts-dejavu-core fontconfig
  srecord sigrok-cli xvfb xauth imagemagick hyperfine valgrind util-linux python3
  dpkg-dev file lintian desktop-file-utils appstream xdotool locales
)
default_list=0
[ $# -gt 0 ] || default_list=1

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}"
fi

# The tests write numbers under a German locale, as the desktop program
# runs on a German desktop.
if [ "$default_list" -eq 1 ] && ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  echo "Generating the locale de_DE.UTF-8"
  "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
