#!/usr/bin/env bash
# Makes the Debian package from the built tree, as the README says, installs it
# into a throw-away root with dpkg, runs the program from there, and removes it
# again: nothing of it may be left.
# usage: deb_package_test.sh CPACK CPACK_CONFIG VERSION
set -uo pipefail
cpack="${1:?usage: deb_package_test.sh CPACK CPACK_CONFIG VERSION}"
config="${2:?}"
version="${3:?}"
for tool in dpkg dpkg-deb dpkg-shlibdeps; do
    if ! command -v "$tool" > /dev/null; then
        echo "SKIPPED: $tool is not installed (scripts/deps.sh --test installs dpkg-dev)"
        exit 77
    fi
done
if [[ $(id -u) -ne 0 ]] && ! command -v fakeroot > /dev/null; then
    echo "SKIPPED: dpkg installs files as root; without root it needs fakeroot"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() {
    echo "FAILED: $*"
    status=1
}

"$cpack" -G DEB --config "$config" -B "$work/out" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAILED: cpack"; exit 1; }
deb=$(find "$work/out" -maxdepth 1 -name "vornik_${version}_*.deb")
[[ -f "$deb" ]] || { echo "FAILED: no vornik_${version}_*.deb: $(ls "$work/out")"; exit 1; }

# The dependencies come from the libraries the program links (dpkg-shlibdeps).
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6core6 libsqlcipher0 libqt6widgets6; do
    [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
[[ "$(dpkg-deb -f "$deb" Section)" == net ]] || fail "Section: $(dpkg-deb -f "$deb" Section)"
outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v -e '^\./$' -e '^\./usr/')
[[ -z "$outside" ]] || fail "files outside /usr: $outside"

root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The root is empty: the libraries the package depends on are the host's.
in_root() {
    if [[ $(id -u) -eq 0 ]]; then
        dpkg --root="$root" --log=/dev/null --force-depends "$@"
    else
        fakeroot dpkg --force-not-root --root="$root" --log=/dev/null --force-depends "$@"
    fi
}
in_root -i "$deb" > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
got=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/vornik" --version 2>&1)
[[ "$got" == "vornik $version" ]] || fail "the installed vornik --version said '$got'"
[[ -f "$root/usr/lib/vornik/vornik-desktop.so" ]] || fail "no /usr/lib/vornik/vornik-desktop.so"

in_root -r vornik > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -r"; }
left=$(cd "$root" && find . -mindepth 1 ! -type d | grep -v '^\./var/lib/dpkg/')
[[ -z "$left" ]] || fail "left after removal: $left"
exit $status
