#!/usr/bin/env bash
# raw2tvx against FFmpeg's plain bilinear demosaic on the same frames, side by
# side in one run: 16-bit Bayer frames with sensor noise, demosaiced into
# 16-bit RGB and thrown away by both.
#
#   raw2tvx CLIP.RAW null.dpx -444 -d2      our adaptive kernel, post-filter level 1
#   raw2tvx CLIP.RAW null.dpx -444          the type a run picks by itself
#   ffmpeg -f rawvideo -pix_fmt bayer_rggb16le -s WxH -i frames.raw -pix_fmt rgb48le -f null -
#
# FFmpeg reads the clip's frames without the 192-byte trailer. Every file is
# read once before timing, so all runs read from the page cache. The three
# commands take turns, ROUNDS times, so that a machine busy with something
# else slows them alike; each prints its range of frames per second and the
# ratio of our median to FFmpeg's (above 1: raw2tvx is faster).
#
# Usage: bench/against_ffmpeg.sh [build dir]
# Environment: FRAMES (96), NOISE (64, in 14-bit codes), ROUNDS (5),
#              SIZES ("1920x1080 4096x2160").
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
frames=${FRAMES:-96}
noise=${NOISE:-64}
rounds=${ROUNDS:-5}
sizes=${SIZES:-1920x1080 4096x2160}
work=$(mktemp -d "${TMPDIR:-/tmp}/raw2tvx-ffmpeg-XXXXXX")
trap 'rm -rf "$work"' EXIT

command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed" >&2; exit 1; }

seconds() { date +%s.%N; }

# Frames per second of one run of the command given.
timed_fps() {
  local start end
  start=$(seconds)
  "$@" >/dev/null 2>&1
  end=$(seconds)
  awk -v n="$frames" -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", n / (b - a) }'
}

# "min-max (median N)" of the figures given.
summary() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
    END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
          printf "%6.1f-%-6.1f (median %.1f)", v[1], v[NR], m }'
}

median() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
    END { printf "%.2f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "$(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores; $frames frames, noise $noise, $rounds rounds"
for size in $sizes; do
  width=${size%x*}
  height=${size#*x}
  clip="$work/N$size.RAW"
  "$build/mkclip" --width "$width" --height "$height" --frames "$frames" --noise "$noise" --packing 16 \
    "$clip" >/dev/null
  head -c $((width * height * 2 * frames)) "$clip" >"$work/frames$size.raw"
  cat "$clip" "$work/frames$size.raw" >/dev/null

  ours2=() ours=() theirs=()
  for ((round = 0; round < rounds; ++round)); do
    theirs+=("$(timed_fps ffmpeg -nostdin -v error -f rawvideo -pix_fmt bayer_rggb16le -s "$size" \
      -i "$work/frames$size.raw" -pix_fmt rgb48le -f null -)")
    ours2+=("$(cd "$work" && timed_fps "$build/raw2tvx" "N$size.RAW" null.dpx -444 -d2)")
    ours+=("$(cd "$work" && timed_fps "$build/raw2tvx" "N$size.RAW" null.dpx -444)")
  done
  rm -f "$clip" "$work/frames$size.raw"

  ffmpeg_median=$(median "${theirs[@]}")
  echo "$size, frames per second:"
  echo "  ffmpeg bilinear         $(summary "${theirs[@]}")"
  echo "  raw2tvx -444 -d2        $(summary "${ours2[@]}")  ratio $(awk -v a="$(median "${ours2[@]}")" \
    -v b="$ffmpeg_median" 'BEGIN { printf "%.2f", a / b }')"
  echo "  raw2tvx -444 (default)  $(summary "${ours[@]}")  ratio $(awk -v a="$(median "${ours[@]}")" \
    -v b="$ffmpeg_median" 'BEGIN { printf "%.2f", a / b }')"
done
