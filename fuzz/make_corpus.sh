#!/usr/bin/env bash
# Writes the TGA fuzzer's seed corpus into fuzz/corpus/: tiny valid images
# and the edge cases the reader must survive. Run once; the files are kept
# in the repository, so rerun only to change the set.
set -euo pipefail
out="$(dirname "$0")/corpus"
rm -rf "$out"
mkdir -p "$out"

# 18-byte header: image type $3 (default 2, uncompressed true colour),
# width $1, height $2, $4 bits per pixel (default 24), descriptor $5.
header() {
  local w=$1 h=$2 type=${3:-2} bpp=${4:-24} desc=${5:-0}
  printf '\x00\x00'"$(printf '\\x%02x' "$type")"'\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x\\x%02x\\x%02x' \
    $((w & 255)) $((w >> 8)) $((h & 255)) $((h >> 8)) "$bpp" "$desc")"
}
# $1 pixels of three bytes each, counting up from $2.
pixels() {
  local n=$1 v=${2:-1} i
  for ((i = 0; i < n * 3; i++)); do printf "$(printf '\\x%02x' $(((v + i) & 255)))"; done
}

header 1 1 > "$out/1x1_header_only.tga"
{ header 1 1; pixels 1; } > "$out/1x1.tga"
{ header 3 2; pixels 6; } > "$out/3x2_rows.tga"
{ header 4 4; pixels 16 200; } > "$out/4x4.tga"
{ header 2 2; pixels 1; printf '\xAA\xBB'; } > "$out/2x2_ends_inside_a_pixel.tga"
{ header 2 1; pixels 2; pixels 5 77; } > "$out/2x1_trailing_bytes.tga"
{ header 0 5; pixels 2; } > "$out/0x5_zero_width.tga"
{ header 5 0; pixels 2; } > "$out/5x0_zero_height.tga"
header 0 0 > "$out/0x0.tga"
{ header 2 2 2 24 32; pixels 4; } > "$out/2x2_top_left_origin.tga"
{ header 2 2 10; pixels 4; } > "$out/2x2_rle_type.tga"
{ header 2 2 2 32 8; pixels 6; } > "$out/2x2_32bpp.tga"
{ printf '\x05\x01\x01'; header 2 2 | tail -c 15; pixels 5; } > "$out/2x2_id_and_colour_map.tga"
header 1 1 | head -c 17 > "$out/17_bytes.tga"
: > "$out/empty.tga"
header 65535 65535 > "$out/65535x65535.tga"
header 32768 32768 > "$out/32768x32768_exactly_4gib.tga"
header 1024 1024 > "$out/1024x1024_header_only.tga"
{ header 1024 1 ; pixels 1024; } > "$out/1024x1.tga"
ls "$out" | wc -l
