#!/usr/bin/env bash
# Makes the small sample libraries staged beside the executable: data/sounds (Ogg Vorbis and MP3
# tones made with ffmpeg's sine source) and data/pictures (drawn by tools/make_library_pictures.py).
set -euo pipefail
cd "$(dirname "$0")/.."
ff() { ffmpeg -loglevel error -y "$@"; }
ff -f lavfi -i "sine=frequency=880:duration=1.2" -af "afade=t=out:st=0.2:d=1" -c:a libvorbis -q:a 2 data/sounds/bell.ogg
ff -f lavfi -i "sine=frequency=523:duration=0.4" -f lavfi -i "sine=frequency=659:duration=0.4" \
   -f lavfi -i "sine=frequency=784:duration=0.6" -filter_complex "[0][1][2]concat=n=3:v=0:a=1" \
   -c:a libvorbis -q:a 2 data/sounds/chord.ogg
ff -f lavfi -i "sine=frequency=220:duration=8" -af "tremolo=f=0.5:d=0.7,volume=0.5" -c:a libvorbis -q:a 1 data/sounds/music.ogg
ff -f lavfi -i "sine=frequency=1200:duration=0.15" -c:a libmp3lame -b:a 64k data/sounds/click.mp3
python3 tools/make_library_pictures.py
