#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
exec scripts/install-packages.sh cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev nlohmann-json3-dev \
  qt6-base-dev libudev-dev xvfb xauth fonts-liberation
