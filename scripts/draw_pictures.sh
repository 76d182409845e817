#!/usr/bin/env bash
# Draws the opening picture into src/ui/pictures/intro@1x.qz and intro@2x.qz
# after a change of intro.svg (the test DrawnPictureTest says when they differ).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUORVANE_BUILD_DIR:-build}
cmake --preset dev -B "$build" >/dev/null
# The files must exist for the resources to build; the tool then draws them.
for ratio in 1 2; do [[ -f src/ui/pictures/intro@${ratio}x.qz ]] || : >"src/ui/pictures/intro@${ratio}x.qz"; done
cmake --build "$build" --target quorvane_draw_pictures
"$build/tests/tools/quorvane_draw_pictures" src/ui/pictures
