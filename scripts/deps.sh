#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, but only those that
# are missing, so a prepared machine starts at once. Packages named as arguments are added to the
# list (scripts/fuzz.sh names clang's).
set -euo pipefail

packages=(
    cmake g++ ninja-build pkg-config
    qt6-base-dev libqt6opengl6-dev qt6-svg-dev qt6-translations-l10n libgl-dev
    libmpv-dev libfluidsynth-dev timgm6mb-soundfont libarchive-dev libasound2-dev
    fonts-ipafont-gothic
    xvfb xauth xdotool
    ffmpeg jlha-utils lhasa libarchive-tools zip python3
    desktop-file-utils appstream man-db groff-base dpkg-dev
    util-linux mount passwd
    python3-fusepy fuse3
    libsqlite3-dev
    weston qt6-wayland
    libicu-dev
    libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        command -v sudo >/dev/null || { echo "Root rights are needed to install: ${missing[*]}" >&2; exit 1; }
        sudo=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
