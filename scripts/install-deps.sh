#!/usr/bin/env bash
# Installs everything Ombrix needs on Debian 12: the host toolchain and libraries, the mingw-w64
# cross compilers for i686 and x86-64, 32-bit and 64-bit Wine with Xvfb, and the peer LZH tools
# the tests compare against. The same on every host: where the kernel runs no i386 programs the
# 32-bit packages still install, they only cannot run, and 64-bit Wine runs the x86-64 build.
# Idempotent: packages already present are not fetched again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang-format pkg-config python3 clang libclang-rt-14-dev
  libcli11-dev libtomlplusplus-dev libgtest-dev libgmock-dev nlohmann-json3-dev
  libssl-dev openssl osslsigncode
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  wine wine32 wine64 xvfb xauth x11-utils fonts-wine fonts-ipafont-gothic imagemagick
  lhasa jlha-utils libarchive-tools 7zip dosbox hyperfine locales
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# 32-bit Wine needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi

missing=()
for package in "${packages[@]}"; do
  arch_package="$package"
  [ "$package" = wine32 ] && arch_package="wine32:i386"
  dpkg-query -W -f='${Status}' "$arch_package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$arch_package")
done

if [ "${#missing[@]}" -gt 0 ] || [ -n "${need_update:-}" ]; then
  $SUDO apt-get update -qq
fi
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi
