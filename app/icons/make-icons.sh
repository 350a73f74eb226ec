#!/usr/bin/env bash
# Renders the icon to the PNG sizes that the window and the desktop's icon theme use,
# beside this script: 16 and 32 to 256 pixels from vantrel.svg (drawn on a 16-unit grid),
# 24 from vantrel-small.svg (drawn on a 24-pixel grid), and 22 and 20 from the middle of
# vantrel-small.svg, cropping its margin so that edges stay on whole pixels.
# Run it after changing a picture and commit the PNG files with it.
# Needs rsvg-convert (scripts/install-deps.sh fixtures installs it).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" --output "vantrel-$size.png" vantrel.svg
done
for size in 24 22 20; do
  margin=$(( (24 - size) / 2 ))
  rsvg-convert --width 24 --height 24 --page-width "$size" --page-height "$size" \
    --left="-$margin" --top="-$margin" --output "vantrel-$size.png" vantrel-small.svg
done
