#!/usr/bin/env bash
# Installs the build into a throw-away prefix, as `cmake --install BUILD --prefix P`
# does for a user, and checks what a desktop needs there: the program finds its
# module and share folder from the prefix, the desktop file and the AppStream
# metainfo pass their validators and name files that exist.
# usage: installed_tree_test.sh BUILD_DIR APP_ID VERSION
set -uo pipefail
build="${1:?usage: installed_tree_test.sh BUILD_DIR APP_ID VERSION}"
id="${2:?}"
version="${3:?}"
for tool in desktop-file-validate appstreamcli; do
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
# The program's windows carry the class Vornik (its application name).
grep -qx "StartupWMClass=Vornik" "$desktop" || fail "the desktop file's StartupWMClass"
grep -qx "Exec=vornik" "$desktop" || fail "the desktop file does not start vornik"

got=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u DISPLAY "$prefix/bin/vornik" --version)
[[ "$got" == "vornik $version" ]] || fail "installed vornik --version said '$got'"

# The installed program starts its desktop from the prefix: it finds its module in
# lib/vornik and looks for its pictures in share/vornik. A broken picture put
# there is named in the trace, which shows where it looked. Its data goes to the
# user's data folder, never beside the executable.
printf 'broken' > "$prefix/share/vornik/icon/app.svg"
home="$work/home"
mkdir -p "$home"
run() {
    env -u WAYLAND_DISPLAY -u DISPLAY -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen \
        "$prefix/bin/vornik" "$@"
}
run --dialer sim > "$work/desktop.out" 2>&1 &
desktop=$!
for _ in $(seq 600); do
    run status --json 2> /dev/null | grep -q '"running":true' && break
    kill -0 $desktop 2> /dev/null || break
    sleep 0.1
done
kill -TERM $desktop 2> /dev/null
wait $desktop
code=$?
[[ $code -eq 0 ]] || fail "the installed desktop ended with $code: $(cat "$work/desktop.out")"
data="$home/.local/share/vornik"
[[ -f "$data/db/diallog.db" ]] || fail "no log in the user's data folder $data"
[[ ! -e "$prefix/bin/db" ]] || fail "the installed program made db/ beside itself"
grep -q "icon file passed over, not readable: $prefix/bin/../share/vornik/icon/app.svg" \
    "$data/log/error.log" 2> /dev/null ||
    fail "the desktop did not look in the prefix's share/vornik: $(cat "$data/log/error.log")"
exit $status
