#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program on the emulated
# default scenario (one QRS642 bridge that needs the update).
#
# Without a display (no DISPLAY or WAYLAND_DISPLAY) the window cannot be
# shown, so the program demonstrates itself under a virtual X server
# instead: it answers YES, prints what the window shows in each state, and
# saves a screenshot of each state in build/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build

program=(build/app/qfwupdate --emulate emulator/scenarios/default.json)
if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  exec "${program[@]}" "$@"
fi
echo "No display here: demonstrating the window under Xvfb (screenshots in build/demo/)."
exec xvfb-run -a "${program[@]}" --demo build/demo "$@"
