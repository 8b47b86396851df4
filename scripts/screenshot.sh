#!/usr/bin/env bash
# Makes docs/screenshot.png: the window playing a video beside its folder, on a virtual X screen.
#   scripts/screenshot.sh [BUILD_DIR]     BUILD_DIR defaults to build/ (the one ./run makes)
# QUORVANE_DISPLAY picks the X display number (default :95).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
display=${QUORVANE_DISPLAY:-:95}
width=1024
height=640
out="$root/docs/screenshot.png"

"$root/scripts/deps.sh"
[[ -x "$build/src/app/quorvane" ]] || "$root/scripts/build.sh" "$build"

# The program and its state in one temporary folder, the media in another: the folder tree
# shows the media folder's parents and their other folders.
work=$(mktemp -d /tmp/quorvane-screenshot.XXXXXX)
media_root=$(mktemp -d /tmp/quorvane-media.XXXXXX)
home="$media_root/home"
xvfb=""
app=""
cleanup() {
    if [[ -n "$app" ]]; then
        kill "$app" 2>/dev/null || true
        wait "$app" 2>/dev/null || true
    fi
    [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work" "$media_root"
}
trap cleanup EXIT

# A copy of the program, so that its settings file beside it belongs to this run alone.
mkdir -p "$work/bin" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
cp "$build/src/app/quorvane" "$work/bin/quorvane"
# The window fills the screen (15 twips to the pixel), the picture fits the player pane.
cat >"$work/bin/quorvane.ini" <<INI
[FormPos]
XPosition=0
YPosition=0
Width=$((width * 15))
Height=$((height * 15))
WindowState=0
[MoviePlay]
ScreenSize=0
MuteState=False
[SpPos]
SpLeft=$((360 * 15))
[ListView]
GridLine=False
IConDsp=True
[TreeView]
TreeViewLine=True
INI

# A folder of small media; the first video plays long enough to be caught playing.
folder="$home/hanako/ビデオ/2024/夏の旅行"
mkdir -p "$folder" "$home/hanako/ドキュメント" "$home/hanako/ピクチャ" "$home/hanako/ミュージック" \
    "$home/hanako/ビデオ/2023"
media() { ffmpeg -nostdin -loglevel error -y "$@"; }
media -f lavfi -i "mandelbrot=size=640x360:rate=25" -f lavfi -i "sine=frequency=330" -t 30 \
    -c:v mpeg4 -q:v 4 -c:a mp3 "$folder/01 海辺の夕暮れ.avi"
media -f lavfi -i "testsrc2=size=320x240:rate=25" -t 2 -c:v mpeg1video "$folder/02 花火大会.mpg"
media -f lavfi -i "life=size=320x240:rate=25:mold=10" -t 2 -c:v wmv2 "$folder/03 夜の街.wmv"
media -f lavfi -i "smptehdbars=size=320x240:rate=25" -t 2 -c:v mpeg4 "$folder/04 旅の記録.mov"
media -f lavfi -i "anoisesrc=color=pink:amplitude=0.1" -t 2 "$folder/05 雨の音.wav"
media -f lavfi -i "cellauto=size=320x240:rule=110" -frames:v 1 "$folder/06 記念写真.png"

Xvfb "$display" -screen 0 "${width}x${height}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do
    DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.2
done

DISPLAY=$display HOME="$home/hanako" XDG_CONFIG_HOME="$work/config" \
    XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8 \
    "$work/bin/quorvane" "$folder/01 海辺の夕暮れ.avi" >/dev/null 2>&1 &
app=$!
if ! DISPLAY=$display timeout 30 xdotool search --sync --onlyvisible --name "Quorvane" >/dev/null; then
    echo "The window did not come up on $display." >&2
    exit 1
fi
sleep 6  # the tree opens along the folder and the video has played a few seconds

mkdir -p "$(dirname "$out")"
ffmpeg -nostdin -loglevel error -y -f x11grab -draw_mouse 0 -video_size "${width}x${height}" \
    -i "$display" -frames:v 1 "$out"
echo "Wrote $out"
