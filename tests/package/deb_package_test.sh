#!/usr/bin/env bash
# Makes the Debian package from the built tree, as the README says, installs it
# into a throw-away root with dpkg, runs the program from there, and removes it
# again: nothing of it may be left. Without root it can only unpack and run it.
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
mkdir -p "$root"
if [[ $(id -u) -ne 0 ]]; then
    # dpkg runs the package's scripts in a chroot, which only root may enter: the
    # files alone are unpacked and run.
    echo "not root: unpacking with dpkg-deb -x; installing and removing with dpkg needs root"
    dpkg-deb -x "$deb" "$root"
    got=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/vornik" --version 2>&1)
    [[ "$got" == "vornik $version" ]] || fail "the unpacked vornik --version said '$got'"
    exit $status
fi

# dpkg chroots into the root to run the package's scripts (CPack's ldconfig
# call): the root gets a shell and ldconfig, and an empty package database. The
# libraries the package depends on are the host's.
for file in /bin/sh $(ldd /bin/sh | grep -o '/[^ ]*') "$(command -v ldconfig)"; do
    mkdir -p "$root$(dirname "$file")"
    cp -L "$file" "$root$file"
done
mkdir -p "$root/etc" "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
listing() { (cd "$root" && find . ! -type d ! -path './var/lib/dpkg/*' ! -path ./etc/ld.so.cache | sort); }
before=$(listing)
in_root() {
    dpkg --root="$root" --log=/dev/null --force-depends "$@" > "$work/dpkg.log" 2>&1 ||
        { cat "$work/dpkg.log"; fail "dpkg $*"; }
}

in_root -i "$deb"
got=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/vornik" --version 2>&1)
[[ "$got" == "vornik $version" ]] || fail "the installed vornik --version said '$got'"
[[ -f "$root/usr/lib/vornik/vornik-desktop.so" ]] || fail "no /usr/lib/vornik/vornik-desktop.so"
[[ "$(listing)" != "$before" ]] || fail "dpkg -i installed nothing"

in_root -r vornik
left=$(comm -13 <(echo "$before") <(listing))
[[ -z "$left" ]] || fail "left after removal: $left"
exit $status
