# Click points of the menu widgets in X pixels, read from the menu headers and the picture
# sizes in res.dat, so the tests follow the game's own layout data. Sourced by the e2e scripts.

readonly LOGICAL_HEIGHT=600

# layout_init SOURCE_DIR RES_DAT WORK_DIR: unpacks the menu pictures for their sizes.
layout_init() {
    LAYOUT_SRC=$1
    LAYOUT_PICS=$3/pack
    mkdir -p "$LAYOUT_PICS"
    (cd "$LAYOUT_PICS" && cmake -E tar xf "$2") || { echo "cannot unpack $2" >&2; return 1; }
    # "folder/file w h" for every picture, names in lower case (the pack's lookup ignores case).
    LAYOUT_SIZES=$(cd "$LAYOUT_PICS" && find . -iname '*.tga' -printf '%P\n' |
        xargs identify -format '%d/%f %w %h\n' | sed -E 's|^\./||' | tr 'A-Z' 'a-z')
    # Each header as one line, so arrays that span lines are matched by one pattern.
    LAYOUT_HEADERS=$(cat "$LAYOUT_SRC"/menus/menu_buttons.h "$LAYOUT_SRC"/menus/screen_*.h | tr '\n' ' ' |
        sed -E -f <(asset_name_rules "$LAYOUT_SRC"/core/asset_names.h))
}

# Sed rules that spell out the asset constants the menu tables name: folders, a button's base
# and folder, a selector item's file; button records become plain braces.
asset_name_rules() {
    local folders
    folders=$(sed -nE '/^namespace folder/,/^}/s/^inline constexpr const char\* (k[A-Za-z]+) = ("[^"]*");$/s#(assets::)?folder::\1\\b#\2#g/p' "$1")
    echo "$folders"
    sed -E "$folders" "$1" | sed -nE \
        -e 's/^inline constexpr Button (k[A-Za-z]+)\{("[^"]*", "[^"]*"),.*/s#assets::button::\1\\b#\2#g/p' \
        -e 's/^inline constexpr SelectorItem (k[A-Za-z]+)\{"[^"]*", ("[^"]*"),.*/s#assets::selector::\1\\.file#\2#g/p'
    echo 's/ButtonDef\(([^)]*)\)/{\1}/g'
}

# picture_size FOLDER FILE -> "w h" (folder as the source writes it, with \\ separators).
picture_size() {
    local name size
    name=$(tr 'A-Z' 'a-z' <<<"${1//\\\\//}/$2")
    size=$(grep -F "$name " <<<"$LAYOUT_SIZES" | head -n 1)
    [[ -n $size ]] || { echo "picture $name is not in the pack" >&2; return 1; }
    echo "${size#"$name "}"
}

# The body of "NAME[] = {...};" or "NAME = {{...}};" in the menu headers.
array_body() {
    grep -oE "\b$1(\[\])? = \{[^;]*\};" <<<"$LAYOUT_HEADERS" | head -n 1
}

# button_rect BASE SCREEN_ARRAY -> "left bottom w h": the screen's place or the button's own.
button_rect() {
    local base=$1 array=$2 def slot folder x y place
    def=$(array_body kButtons | grep -oE "\{[A-Za-z_]+, [A-Z_]+, \"$base\", \"[^\"]+\", (true|false), -?[0-9]+, -?[0-9]+\}")
    [[ -n $def ]] || { echo "button $base is not in kButtons" >&2; return 1; }
    IFS='|' read -r slot folder x y < <(sed -E 's/\{([A-Za-z_]+), [A-Z_]+, "[^"]+", "([^"]+)", [a-z]+, (-?[0-9]+), (-?[0-9]+)\}/\1|\2|\3|\4/' <<<"$def")
    place=$(array_body "$array" | grep -oE "\{$slot, (kOwnPlace|At\(-?[0-9]+, -?[0-9]+\))\}")
    [[ -n $place ]] || { echo "button $base is not on $array" >&2; return 1; }
    if [[ $place =~ At\((-?[0-9]+),\ (-?[0-9]+)\) ]]; then
        x=${BASH_REMATCH[1]} y=${BASH_REMATCH[2]}
    fi
    echo "$x $y $(picture_size "$folder" "$base.tga")"
}

# selector_item_rects LIST (e.g. LIST_BOARD) -> one "left bottom w h" line per item, in order.
selector_item_rects() {
    local def folder items entry id pic x y
    def=$(array_body kSetupSelectors | grep -oE "\{$1, NOTIFY_[A-Z_]+, LIST_[A-Z_]+, \"[^\"]+\", k[A-Za-z]+Items,")
    [[ -n $def ]] || { echo "selector $1 is not in kSetupSelectors" >&2; return 1; }
    folder=$(sed -E 's/.*"([^"]+)".*/\1/' <<<"$def")
    items=$(grep -oE 'k[A-Za-z]+Items' <<<"$def")
    while read -r entry; do
        IFS='|' read -r id pic x y < <(sed -E 's/\{([A-Za-z_0-9]+), "([^"]+)", (-?[0-9]+), (-?[0-9]+)\}/\1|\2|\3|\4/' <<<"$entry")
        echo "$x $y $(picture_size "$folder" "$pic")"
    done < <(array_body "$items" | grep -oE '\{[A-Za-z_0-9]+, "[^"]+", -?[0-9]+, -?[0-9]+\}')
}

# The clickable selectors in the order they are added (later ones take a click first).
clickable_selectors() {
    array_body kSetupSelectors | grep -oE '\{LIST_[A-Z_]+, NOTIFY_[A-Z_]+' | grep -v NOTIFY_NONE |
        sed -E 's/\{(LIST_[A-Z_]+),.*/\1/'
}

in_rect() {  # in_rect X Y LEFT BOTTOM W H
    (($1 >= $3 && $1 < $3 + $5 && $2 >= $4 && $2 < $4 + $6))
}

# free_point "INSIDE_RECTS" "BLOCKING_RECTS" -> logical "x y" inside every INSIDE rect and in
# no BLOCKING rect, nearest the centre of their common area; fails when there is none.
free_point() {
    local inside=$1 blocking=$2 l=-100000 b=-100000 r=100000 t=100000 rect
    while read -r rect; do
        [[ -n $rect ]] || continue
        set -- $rect
        (($1 > l)) && l=$1; (($2 > b)) && b=$2
        (($1 + $3 < r)) && r=$(($1 + $3)); (($2 + $4 < t)) && t=$(($2 + $4))
    done <<<"$inside"
    ((l < r && b < t)) || { echo "the rects have no common area" >&2; return 1; }
    local cx=$(((l + r) / 2)) cy=$(((b + t) / 2)) best="" bestd=0 x y d ok
    ok=1
    while read -r rect; do
        [[ -n $rect ]] || continue
        if in_rect "$cx" "$cy" $rect; then ok=0; break; fi
    done <<<"$blocking"
    ((ok)) && { echo "$cx $cy"; return 0; }
    for ((y = b; y < t; y += 3)); do
        for ((x = l; x < r; x += 3)); do
            d=$(((x - cx) * (x - cx) + (y - cy) * (y - cy)))
            [[ -n $best ]] && ((d >= bestd)) && continue
            ok=1
            while read -r rect; do
                [[ -n $rect ]] || continue
                if in_rect "$x" "$y" $rect; then ok=0; break; fi
            done <<<"$blocking"
            ((ok)) && best="$x $y" bestd=$d
        done
    done
    [[ -n $best ]] || { echo "every point is covered by another widget" >&2; return 1; }
    echo "$best"
}

# Logical (x, y up) to X pixels: the window sits at the screen's top-left corner.
to_x() {
    echo "$1 $((LOGICAL_HEIGHT - 1 - $2))"
}

# button_point BASE SCREEN_ARRAY [BLOCKING_RECTS] -> X "x y" to click the button.
button_point() {
    local rect p
    rect=$(button_rect "$1" "$2") || return 1
    p=$(free_point "$rect" "${3:-}") || return 1
    to_x $p
}

# layout_selectors: reads every clickable selector's item rects once into SELECTOR_RECTS and
# their order into SELECTOR_ORDER (call in the main shell, not in $(...)).
declare -A SELECTOR_RECTS
SELECTOR_ORDER=()
layout_selectors() {
    local l
    mapfile -t SELECTOR_ORDER < <(clickable_selectors)
    for l in "${SELECTOR_ORDER[@]}"; do
        SELECTOR_RECTS[$l]=$(selector_item_rects "$l") || return 1
    done
}

# selector_point LIST -> X "x y" inside every item of the list and outside the selectors that
# are added after it.
selector_point() {
    local list=$1 later="" seen=0 l p
    for l in "${SELECTOR_ORDER[@]}"; do
        ((seen)) && later+=${SELECTOR_RECTS[$l]}$'\n'
        [[ $l == "$list" ]] && seen=1
    done
    p=$(free_point "${SELECTOR_RECTS[$list]}" "$later") || return 1
    to_x $p
}

# All clickable selectors' item rects (setup buttons must avoid them: lists take clicks first).
all_selector_rects() {
    local l
    for l in "${SELECTOR_ORDER[@]}"; do echo "${SELECTOR_RECTS[$l]}"; done
}
