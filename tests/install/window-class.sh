#!/bin/sh
# Starts the program on an X server (Xvfb) and reads its main window as docks
# and window managers do: WM_CLASS must name the desktop entry's
# StartupWMClass, and the window must carry an icon (_NET_WM_ICON).
# usage: window-class.sh PROGRAM SHIPPED_DATA_DIR DESKTOP_ENTRY
set -eu
program=$1
shipped=$2
entry=$3
tmp=$(mktemp -d)
trap 'rm -rf -- "$tmp"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

mkdir "$tmp/Data"
cp "$shipped"/* "$tmp/Data/"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$entry")
[ -n "$wm_class" ] || fail "the desktop entry names no StartupWMClass"

cat >"$tmp/look.sh" <<'LOOK'
#!/bin/sh
# Runs on the X server: start, wait for the main window, read its properties.
"$1" &
pid=$!
id=
for _ in $(seq 200); do
    # The main window, not Qt's 1 x 1 client leader of the same name.
    id=$(xwininfo -root -tree |
        sed -n 's/^ *\(0x[0-9a-f]*\) "Vastel - Jacketforge v1.20": (.* 701x500+.*/\1/p' | head -n 1)
    [ -n "$id" ] && break
    sleep 0.05
done
if [ -n "$id" ]; then
    xprop -id "$id" WM_CLASS
    # The icon's sizes, without xprop's drawing of them.
    xprop -id "$id" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)'
fi
kill "$pid"
wait "$pid" 2>/dev/null || true
LOOK
# Xvfb picks a free display itself and names it once it is ready, so tests
# running side by side cannot race for one display number.
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -rf -- "$tmp"' EXIT
for _ in $(seq 200); do
    [ -s "$tmp/display" ] && break
    sleep 0.05
done
[ -s "$tmp/display" ] || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
props=$(cd "$tmp" && env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY=":$(cat "$tmp/display")" \
    sh "$tmp/look.sh" "$program")
echo "$props"
echo "$props" | grep -q "^WM_CLASS(STRING) = \"[^\"]*\", \"$wm_class\"\$" ||
    fail "WM_CLASS does not name $wm_class"
echo "$props" | grep -q "^Icon (32 x 32)" || fail "the window carries no icon"
echo "window class and icon: ok"
