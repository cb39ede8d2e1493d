#!/bin/sh
# Contact sheets of the generated pictures, to look at the art: one PNG per group of folders.
# ImageMagick keeps TGA rows as stored, so -auto-orient turns our bottom-left-origin pictures upright.
# Usage: contact_sheet.sh <assets folder> <output folder>   (needs ImageMagick's montage)
set -eu
assets=${1:?assets folder}
out=${2:?output folder}
mkdir -p "$out"
sheet() {
  name=$1
  shift
  # Patterns are expanded inside the assets folder.
  files=$(cd "$assets" && for p in "$@"; do ls $p 2>/dev/null || true; done | sort -u)
  [ -n "$files" ] || return 0
  (cd "$assets" && montage -auto-orient $files -background '#5a5f70' -fill white -pointsize 11 -label '%d/%f\n%wx%h' \
    -geometry '+6+6' -tile 6x "$out/$name.png")
  echo "$out/$name.png"
}
sheet buttons 'textures/mmenu/*.tga' 'textures/common/mainmnu*.tga' 'textures/common/leavegm*.tga' 'textures/resmenu/*.tga'
sheet game_icons 'textures/game/*.tga' 'textures/help/arr*.tga' 'textures/cursor.tga' 'textures/sight.tga'
sheet setup 'textures/smenu/*.tga' 'textures/smenu/desk/*.tga' 'textures/smenu/checks/*.tga'
sheet setup_panels 'textures/smenu/descr/*.tga' 'textures/smenu/left/*.tga' 'textures/smenu/chdescr/*.tga'
sheet screens 'textures/common/BACKGR.tga' 'textures/backsmsh.tga' 'textures/back_ab.tga' 'textures/mplayer/*.tga' 'textures/help/*add.tga' 'textures/help/t*.tga' 'textures/font.tga'
sheet model_textures 'models/3ds/*.tga'
