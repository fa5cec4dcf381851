#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages the builds and tests need, when any is missing.
# Recommended packages come too: Wine's X11 driver loads several of them (Xrender, Xrandr,
# Xcursor...) at run time. The release (scripts/release.sh) needs python3, wixl, msitools,
# faketime and osslsigncode (with libengine-pkcs11-openssl for a key on a token); its test
# unzip, openssl and softhsm2 (a software token to sign with). The print test needs CUPS with
# its PDF printer (cups, printer-driver-cups-pdf) and poppler-utils to read the PDFs.
set -euo pipefail
packages=(cmake g++ googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-x86-64-posix wine64 xvfb xauth xdotool xclip imagemagick
          fonts-wqy-microhei fonts-wine
          clang clang-tidy clang-format libclang-rt-14-dev lld libmuparser-dev valgrind
          python3 msitools wixl faketime osslsigncode openssl unzip
          softhsm2 libengine-pkcs11-openssl
          cups printer-driver-cups-pdf poppler-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "all packages present"
  exit 0
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
