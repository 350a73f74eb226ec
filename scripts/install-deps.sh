#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Vantrel need, only
# those that are missing. Runs apt-get as root (through sudo when not root).
# Usage: scripts/install-deps.sh [build|test|fixtures|package]   (default: test)
set -euo pipefail

build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev libxcb1-dev xdg-utils help2man
                nlohmann-json3-dev libuchardet-dev)
test_packages=("${build_packages[@]}" python3 clang-14 libclang-rt-14-dev googletest libgtest-dev
               libbenchmark-dev hyperfine wine wine64 g++-mingw-w64-x86-64 xvfb python3-jsonschema)
fixture_packages=(python3 mingw-w64-tools binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 libwine-dev
                  librsvg2-bin)
# Making the Debian package (dpkg-shlibdeps) and checking it once installed.
package_packages=("${build_packages[@]}" dpkg-dev desktop-file-utils appstream shared-mime-info)

case "${1:-test}" in
  build) wanted=("${build_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  fixtures) wanted=("${test_packages[@]}" "${fixture_packages[@]}") ;;
  package) wanted=("${package_packages[@]}") ;;
  *) echo "usage: $0 [build|test|fixtures|package]" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
