#!/usr/bin/env bash
# Builds the Debian package build/ferolith_<version>_<arch>.deb with CMake's
# install rules and CPack, from the normal build folder (build/release)
# configured for the install prefix /usr. Install it with
#   apt install ./build/ferolith_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFEROLITH_GUI=ON \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build/release -j"$(nproc)" --target ferolith ferolith-cli ferolith_package_files
rm -f build/ferolith_*.deb build/release/ferolith_*.deb
(cd build/release && cpack -G DEB >/dev/null)
mv build/release/ferolith_*.deb build/
ls build/ferolith_*.deb
