#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program on the emulated
# default scenario (one QRS642 bridge that needs the update).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
exec build/app/qfwupdate --emulate emulator/scenarios/default.json "$@"
