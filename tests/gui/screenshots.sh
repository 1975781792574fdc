#!/usr/bin/env bash
# Screenshots of the three editor pages as PNG files, for the documentation,
# and, given MENU_EXE, of the panel with its map menu open.
# Usage: screenshots.sh SCREENSHOT_EXE BIN_DIR OUT_DIR [MENU_EXE]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
exe=$(realpath "$1")
bin=$(realpath "$2")
out=$(realpath -m "$3")
menu=${4:+$(realpath "$4")}
work=$(mktemp -d "${TMPDIR:-/tmp}/editor-shots.XXXXXX")
trap 'rm -rf "$work"' EXIT
ln -s "$bin/Artwork" "$work/Artwork"  # the panel's font, as beside the DLL
mkdir -p "$out"
cd "$work"
"$here/scripts/wine-run" "$exe"
pictures=(articulation controllers settings)
if [ -n "$menu" ]; then
  "$here/scripts/wine-run" "$menu"
  pictures+=(map-menu)
fi
args=()
for page in "${pictures[@]}"; do
  args+=("editor-$page.bmp" "$out/editor-$page.png")
done
# Debian's interpreter: only its standard library is needed.
/usr/bin/python3 "$here/tests/gui/bmp_to_png.py" "${args[@]}"
for page in "${pictures[@]}"; do
  head -c 8 "$out/editor-$page.png" | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a' ||
    { echo "screenshots: $out/editor-$page.png is no PNG file"; exit 1; }
done
