#!/usr/bin/env bash
# Makes a large test photograph (default 6000 x 4000 JPEG) with ffmpeg's own test source, for
# trying the editor on big pictures: tests/data/make_photo.sh OUT.jpg [WIDTHxHEIGHT]
set -euo pipefail
out=${1:-photo.jpg}
size=${2:-6000x4000}
ffmpeg -loglevel error -y -f lavfi -i "mandelbrot=size=${size}:end_pts=1" -frames:v 1 -q:v 3 "$out"
echo "$out"
