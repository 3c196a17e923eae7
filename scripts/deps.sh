#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Vornik need, when any
# is missing. As root it runs apt-get; otherwise it prints the line to run.
set -euo pipefail

packages=(cmake g++ pkg-config libsqlcipher-dev libssl-dev libgtest-dev fonts-wqy-microhei
          qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-translations-l10n
          qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools)
if [[ "${1:-}" == "--test" ]]; then
    # clang-14 with its compiler runtime (libFuzzer and the sanitizers) builds the fuzz targets.
    packages+=(dbus python3-dbusmock iproute2 iputils-ping xvfb xauth x11-utils clang-14
               libclang-rt-14-dev)
    # The desktop file, AppStream and manual page checks, and the Debian package.
    packages+=(desktop-file-utils appstream dpkg-dev file groff-base)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -eq 0 ]]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
    echo "Missing packages. Run as root:" >&2
    echo "  apt-get install ${missing[*]}" >&2
    exit 1
fi
