#!/usr/bin/env bash
# Makes the small media files the player tests and benchmarks play, into the folder given as the
# first argument (created when missing). Nothing here is kept in the repository: every file is
# made by ffmpeg in a second or two.
set -euo pipefail

out=${1:?usage: make_media.sh <output folder>}
mkdir -p "$out"
cd "$out"

ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }

# Audio: one second of a tone, so a test sees the end of the stream soon.
ff -f lavfi -i "sine=frequency=440:sample_rate=22050:duration=1" -ac 1 -c:a pcm_s16le tone.wav
ff -f lavfi -i "sine=frequency=440:sample_rate=22050:duration=2" -ac 1 -c:a libmp3lame -b:a 32k tone.mp3
ff -f lavfi -i "sine=frequency=440:sample_rate=22050:duration=2" -ac 1 -c:a libvorbis -q:a 0 tone.ogg

# Video in AVI: every frame a key frame, so a seek lands exactly where it was asked to.
ff -f lavfi -i "testsrc=size=160x120:rate=10:duration=4" \
   -f lavfi -i "sine=frequency=330:sample_rate=22050:duration=4" \
   -c:v mpeg4 -g 1 -q:v 10 -c:a pcm_s16le -ac 1 -shortest clip.avi
# MPEG-1 system stream.
ff -f lavfi -i "testsrc=size=160x120:rate=25:duration=2" \
   -f lavfi -i "sine=frequency=330:sample_rate=32000:duration=2" \
   -c:v mpeg1video -q:v 8 -c:a mp2 -b:a 64k -ac 1 -f mpeg clip.mpg

# Pictures.
for ext in png jpg gif bmp; do
    ff -f lavfi -i "testsrc=size=64x48:rate=1:duration=1" -frames:v 1 "picture.$ext"
done

# The benchmark's files: a 640x480 H.264 video (in AVI, a kind the media player takes) and a
# photo of the same size.
ff -f lavfi -i "testsrc2=size=640x480:rate=25:duration=3" \
   -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=3" \
   -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a libmp3lame -b:a 64k -shortest h264.avi
ff -f lavfi -i "testsrc2=size=640x480:rate=1:duration=1" -frames:v 1 photo.jpg

# Today's formats: an MP4 video, FLAC sound, a WebP picture, and an MP3 carrying a cover picture.
ff -f lavfi -i "testsrc=size=160x120:rate=10:duration=1" \
   -f lavfi -i "sine=frequency=330:sample_rate=22050:duration=1" \
   -c:v mpeg4 -g 1 -q:v 10 -c:a aac -ac 1 -shortest clip.mp4
ff -f lavfi -i "sine=frequency=440:sample_rate=22050:duration=1" -ac 1 tone.flac
ff -f lavfi -i "testsrc=size=64x48:rate=1:duration=1" -frames:v 1 picture.webp
ff -f lavfi -i "sine=frequency=440:sample_rate=22050:duration=2" -i picture.png \
   -map 0 -map 1 -ac 1 -c:a libmp3lame -b:a 32k -c:v png -disposition:v attached_pic cover.mp3

# Not media at all, under media names.
printf 'This file only pretends to be a video.\n%.0s' {1..64} > notmedia.avi
cp notmedia.avi notmedia.mp3

touch stamp
