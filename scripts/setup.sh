#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need. Safe to run again.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format  # native build, sanitizers, fuzzers
  googletest libgtest-dev                                       # tests (sources for the cross build)
  libx11-dev libxext-dev libxrandr-dev libcairo2-dev fonts-dejavu-core pkg-config  # Linux backend
  libssl-dev openssl                     # TLS, SHA-256, ECDSA; certificates and keys for the tests
  g++-mingw-w64-x86-64-posix wine wine64                             # Windows build and its test run
  xvfb xcompmgr imagemagick x11-apps x11-utils                  # virtual display and screenshots
  nginx-light default-jdk-headless                              # update server and Java for the demo
  python3 curl strace hyperfine time                            # scripted helpers and benchmarks
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
