#!/usr/bin/env bash
# Installs the build into a throw-away prefix, as `cmake --install BUILD --prefix P`
# does for a user, and checks what a desktop needs there: the program finds its
# module and share folder from the prefix and keeps its data in the user's folder,
# the desktop file and the AppStream metainfo pass their validators and name the
# icon, the desktop file and the window class that are really there.
# usage: installed_tree_test.sh BUILD_DIR APP_ID VERSION
set -uo pipefail
build="${1:?usage: installed_tree_test.sh BUILD_DIR APP_ID VERSION}"
id="${2:?}"
version="${3:?}"
for tool in desktop-file-validate appstreamcli file; do
    if ! command -v "$tool" > /dev/null; then
        echo "SKIPPED: $tool is not installed (scripts/deps.sh --test installs it)"
        exit 77
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
status=0
fail() {
    echo "FAILED: $*"
    status=1
}

cmake --install "$build" --prefix "$prefix" > "$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install"; exit 1; }

icons="$prefix/share/icons/hicolor"
for file in bin/vornik lib/vornik/vornik-desktop.so share/vornik/manual/index.html \
    share/vornik/manual/pictures/main-window.png share/vornik/icon/app.svg \
    share/vornik/sound/connected.wav share/man/man1/vornik.1 \
    lib/systemd/user/vornik-headless.service "share/applications/$id.desktop" \
    "share/metainfo/$id.metainfo.xml" "share/icons/hicolor/scalable/apps/$id.svg"; do
    [[ -s "$prefix/$file" ]] || fail "$file is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
    png="$icons/${size}x${size}/apps/$id.png"
    if [[ "$(file -b "$png" 2>&1)" != "PNG image data, $size x $size,"* ]]; then
        fail "no ${size}x${size} PNG icon: $(file -b "$png" 2>&1)"
    fi
done

desktop="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
# validate-tree also checks that the metainfo's launchable desktop file is there.
appstreamcli validate-tree --no-net "$prefix" > "$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "appstreamcli validate-tree"; }
grep -qx "Icon=$id" "$desktop" || fail "the desktop file does not name the icon $id"

got=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u DISPLAY "$prefix/bin/vornik" --version)
[[ "$got" == "vornik $version" ]] || fail "installed vornik --version said '$got'"

# The installed program starts its desktop from the prefix, on a private X
# server: it finds its module in lib/vornik and looks for its pictures in
# share/vornik (a broken picture put there is named in the trace, which shows
# where it looked), its window carries the class the desktop file names, and its
# data goes to the user's data folder, never beside the executable.
if ! command -v Xvfb > /dev/null || ! command -v xprop > /dev/null; then
    echo "not started on a display: Xvfb and xprop are missing (scripts/deps.sh --test)"
    exit $status
fi
printf 'broken' > "$prefix/share/vornik/icon/app.svg"
home="$work/home"
mkdir -p "$home"
exec {number}> "$work/display"
Xvfb -displayfd $number -nolisten tcp -screen 0 1024x768x24 > /dev/null 2>&1 &
server=$!
exec {number}>&-
trap 'kill $server 2> /dev/null; wait $server; rm -rf "$work"' EXIT
for _ in $(seq 300); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
done
display=":$(head -n 1 "$work/display")"
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_DATA_HOME HOME="$home" DISPLAY="$display" \
    "$prefix/bin/vornik" --dialer sim > "$work/desktop.out" 2>&1 &
program=$!
class=""
for _ in $(seq 600); do
    class=$(xprop -display "$display" -name Vornik WM_CLASS 2> /dev/null)
    [[ -n "$class" ]] && break
    kill -0 $program 2> /dev/null || break
    sleep 0.1
done
kill -TERM $program 2> /dev/null
wait $program
code=$?
[[ $code -eq 0 ]] || fail "the installed desktop ended with $code: $(cat "$work/desktop.out")"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
[[ "$class" == *", \"$wm_class\"" ]] || fail "the window's $class is not StartupWMClass=$wm_class"
data="$home/.local/share/vornik"
[[ -f "$data/db/diallog.db" ]] || fail "no log in the user's data folder $data"
[[ ! -e "$prefix/bin/db" ]] || fail "the installed program made db/ beside itself"
grep -q "icon file passed over, not readable: $prefix/bin/../share/vornik/icon/app.svg" \
    "$data/log/error.log" 2> /dev/null ||
    fail "the desktop did not look in the prefix's share/vornik: $(cat "$data/log/error.log")"
exit $status
