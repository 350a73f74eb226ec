#!/usr/bin/env bash
# Renders vantrel.svg to the PNG sizes that the window and the desktop's icon theme use,
# beside this script. Run it after changing the picture and commit the PNG files with it.
# Needs rsvg-convert (scripts/install-deps.sh fixtures installs it).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 20 22 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" --output "vantrel-$size.png" vantrel.svg
done
