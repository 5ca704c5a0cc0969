#!/bin/sh
# Installs into a temporary prefix and starts the installed launcher twice
# with a temporary XDG_DATA_HOME: the first start seeds the user's Data
# folder from the defaults, the second leaves what the user changed alone.
# The installed program is replaced by a stand-in that records the folder it
# was started in and its arguments.
# usage: install-and-launch.sh BUILD_DIR SHIPPED_DATA_DIR
set -eu
build=$1
shipped=$2
tmp=$(mktemp -d)
trap 'rm -rf -- "$tmp"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix="$tmp/pre fix"
cmake --install "$build" --prefix "$prefix" >/dev/null

app=org.jacketforge.Jacketforge
for file in bin/jacketforge libexec/jacketforge/jacketforge \
    "share/applications/$app.desktop" "share/metainfo/$app.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$app.svg" "share/icons/hicolor/48x48/apps/$app.png" \
    "share/icons/hicolor/256x256/apps/$app.png"; do
    [ -f "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/jacketforge" ] || fail "the launcher is not executable"
diff -r "$shipped" "$prefix/share/jacketforge/Data" || fail "the default Data folder differs"

record="$tmp/record"
cat >"$prefix/libexec/jacketforge/jacketforge" <<STUB
#!/bin/sh
{ pwd; printf '%s\n' "\$@"; } >"$record"
STUB

# Started from its own folder, as from a shell there.
start="$tmp/start here"
mkdir -p "$start"
launch() {
    (cd "$start" && env -u XDG_DATA_HOME HOME="$tmp/home" "$@" "$prefix/bin/jacketforge" \
        "one arg" two) || fail "the launcher failed"
}
launch_with() {
    (cd "$start" && env -u XDG_DATA_HOME HOME="$tmp/home" "$prefix/bin/jacketforge" "$@") ||
        fail "the launcher failed"
}
# The recorded arguments, one a line.
arguments() {
    sed 1d "$record"
}

data_home="$tmp/data home"
work="$data_home/jacketforge"

# First start: the defaults are copied, the program runs in the work folder.
launch XDG_DATA_HOME="$data_home"
[ "$(sed -n 1p "$record")" = "$work" ] || fail "started in $(sed -n 1p "$record"), not $work"
[ "$(arguments)" = "$(printf '%s\n' "$start/one arg" "$start/two")" ] ||
    fail "the pictures were not passed on as absolute paths: $(arguments)"
diff -r "$shipped" "$work/Data" || fail "the first start did not seed the Data folder"
[ -w "$work/Data/DefaultSizes.ins" ] || fail "the seeded files are not writable"
[ -z "$(find "$work" -name '.Data.*')" ] || fail "a staging folder was left behind"

# Second start: an edited file and a removed one stay as the user left them.
printf '200\r\n' >"$work/Data/DefaultSizes.ins"
rm "$work/Data/Tips.txt"
launch XDG_DATA_HOME="$data_home"
[ "$(cat "$work/Data/DefaultSizes.ins")" = "$(printf '200\r')" ] || fail "an edited file was overwritten"
[ ! -e "$work/Data/Tips.txt" ] || fail "a removed file came back"

# Without XDG_DATA_HOME, or with a relative one, the work folder is under HOME.
launch
[ "$(sed -n 1p "$record")" = "$tmp/home/.local/share/jacketforge" ] || fail "no default data home"
launch XDG_DATA_HOME=relative/path
[ "$(sed -n 1p "$record")" = "$tmp/home/.local/share/jacketforge" ] ||
    fail "a relative XDG_DATA_HOME was used"
# Options, the values of Qt's options and absolute paths pass unchanged;
# after "--" everything is a picture.
launch_with --help -platform xcb --style Fusion -visual 0x21 -icon i.png -qmljsdebugger p:1 \
    /abs/p.png rel.png file:///u/x.png http://h/y.png a+b://c x:y/z.png -- -dash.png a://b
[ "$(arguments)" = "$(printf '%s\n' --help -platform xcb --style Fusion -visual 0x21 -icon i.png \
    -qmljsdebugger p:1 /abs/p.png "$start/rel.png" file:///u/x.png http://h/y.png a+b://c \
    "$start/x:y/z.png" -- "$start/-dash.png" a://b)" ] ||
    fail "options were not passed on: $(arguments)"

# A working folder that cannot be made (a file in the way of the data
# home, or of the folder itself): the program is started to show why.
mkdir -p "$tmp/clash"
printf 'x' >"$tmp/a file"
printf 'x' >"$tmp/clash/jacketforge"
for case in "$tmp/a file" "$tmp/clash"; do
    rm -f "$record"
    err=$(launch XDG_DATA_HOME="$case" 2>&1 >/dev/null) || fail "the launcher failed"
    message=$(sed -n 3p "$record")
    [ "$(sed -n 2p "$record")" = --launch-failure ] || fail "no message for $case: $(arguments)"
    case $message in
    "Jacketforge cannot start: its working folder \"$case/jacketforge\" could not be made (mkdir: "*").") ;;
    *) fail "the message does not say why: $message" ;;
    esac
    [ "$err" = "jacketforge: $message" ] || fail "standard error: $err"
done
echo "install and launch: ok"
