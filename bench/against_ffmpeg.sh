#!/usr/bin/env bash
# raw2tvx against FFmpeg's plain bilinear demosaic on the same frames, side by
# side in one run: Bayer frames with sensor noise, demosaiced into 16-bit RGB
# and thrown away by both.
#
#   raw2tvx CLIP.RAW null.dpx -444 -d2      our adaptive kernel, post-filter level 1
#   raw2tvx CLIP.RAW null.dpx -444          the type a run picks by itself
#   ffmpeg -f rawvideo -pix_fmt bayer_rggb16le -s WxH -i frames.raw -pix_fmt rgb48le -f null -
#
# The clip is 14-bit packed by default, as cameras record it, so raw2tvx pays
# for the unpack; PACKING=16 writes plain 16-bit samples instead. FFmpeg reads
# the same frames as 16-bit samples (mkclip's --packing 16 frames, which hold
# the same samples times 4). Every file is read once before timing, so all
# runs read from the page cache. The commands take turns, ROUNDS times, so that
# a machine busy with something else slows them alike. For each the script
# prints the best and the median frames per second, the processor time (user +
# system) per frame, which a shared machine disturbs less, and the ratio of our
# figure to FFmpeg's (above 1: raw2tvx is faster).
#
# Usage: bench/against_ffmpeg.sh [build dir]
# Environment: FRAMES (96), NOISE (64, in 14-bit codes), ROUNDS (5),
#              SIZES ("1920x1080 4096x2160"), PACKING (14 or 16),
#              SIMD (the widest vector form raw2tvx may use, as --simd takes it:
#              avx2 shows on a machine with AVX-512 what one without it runs).
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
frames=${FRAMES:-96}
noise=${NOISE:-64}
rounds=${ROUNDS:-5}
sizes=${SIZES:-1920x1080 4096x2160}
packing=${PACKING:-14}
simd=()
[ -n "${SIMD:-}" ] && simd=("--simd=$SIMD")
case "$packing" in 14 | 16) ;; *) echo "PACKING must be 14 or 16" >&2; exit 2 ;; esac
work=$(mktemp -d "${TMPDIR:-/tmp}/raw2tvx-ffmpeg-XXXXXX")
trap 'rm -rf "$work"' EXIT

command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed" >&2; exit 1; }

# One timed run of the command given: "FPS CPU_MS_PER_FRAME", from the shell's
# own clock and the processor time of the command's children.
timed() {
  local TIMEFORMAT='%R %U %S' times
  times=$({ time "$@" >/dev/null 2>&1; } 2>&1)
  awk -v n="$frames" -v t="$times" 'BEGIN { split(t, f, " ");
    printf "%.1f %.2f\n", n / f[1], 1000 * (f[2] + f[3]) / n }'
}

# "best B  median M" of the figures given; best is the largest for rates and
# the smallest for times (LOWER=1).
summary() {
  local lower=$1
  shift
  printf '%s\n' "$@" | sort -g | awk -v lower="$lower" '{ v[NR] = $1 }
    END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
          printf "best %7.2f  median %7.2f", lower ? v[1] : v[NR], m }'
}

median() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
    END { printf "%.4f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

best() {
  local lower=$1
  shift
  printf '%s\n' "$@" | sort -g | awk -v lower="$lower" '{ v[NR] = $1 } END { printf "%.4f", lower ? v[1] : v[NR] }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

model=$(lscpu | sed -n 's/^Model name: *//p')
avx512=$({ grep -o -w 'avx512[a-z0-9_]*' /proc/cpuinfo || true; } | sort -u | tr '\n' ' ')
echo "machine: $model, $(nproc) cores; AVX-512: ${avx512:-none}"
echo "$frames frames, ${packing}-bit packed clip, noise $noise, $rounds rounds taking turns${SIMD:+, raw2tvx --simd=$SIMD}"
for size in $sizes; do
  width=${size%x*}
  height=${size#*x}
  clip="$work/N$size.RAW"
  plain="$work/P$size.RAW"
  "$build/mkclip" --width "$width" --height "$height" --frames "$frames" --noise "$noise" --packing "$packing" \
    "$clip" >/dev/null
  "$build/mkclip" --width "$width" --height "$height" --frames "$frames" --noise "$noise" --packing 16 \
    "$plain" >/dev/null
  head -c $((width * height * 2 * frames)) "$plain" >"$work/frames$size.raw"
  rm -f "$plain"
  cat "$clip" "$work/frames$size.raw" >/dev/null

  theirs=() theirsCpu=() ours2=() ours2Cpu=() ours=() oursCpu=()
  for ((round = 0; round < rounds; ++round)); do
    read -r fps cpu < <(timed ffmpeg -nostdin -v error -f rawvideo -pix_fmt bayer_rggb16le -s "$size" \
      -i "$work/frames$size.raw" -pix_fmt rgb48le -f null -)
    theirs+=("$fps") theirsCpu+=("$cpu")
    read -r fps cpu < <(cd "$work" && timed "$build/raw2tvx" "N$size.RAW" null.dpx -444 -d2 "${simd[@]}")
    ours2+=("$fps") ours2Cpu+=("$cpu")
    read -r fps cpu < <(cd "$work" && timed "$build/raw2tvx" "N$size.RAW" null.dpx -444 "${simd[@]}")
    ours+=("$fps") oursCpu+=("$cpu")
  done
  rm -f "$clip" "$work/frames$size.raw"

  report() {
    local name=$1 fpsName=$2 cpuName=$3
    local -n fpsList=$fpsName cpuList=$cpuName
    printf '  %-22s fps %s  cpu ms/frame %s' "$name" "$(summary 0 "${fpsList[@]}")" \
      "$(summary 1 "${cpuList[@]}")"
    if [ "$name" != "ffmpeg bilinear" ]; then
      printf '  ratio: fps best %s median %s, cpu median %s' \
        "$(ratio "$(best 0 "${fpsList[@]}")" "$(best 0 "${theirs[@]}")")" \
        "$(ratio "$(median "${fpsList[@]}")" "$(median "${theirs[@]}")")" \
        "$(ratio "$(median "${theirsCpu[@]}")" "$(median "${cpuList[@]}")")"
    fi
    printf '\n'
  }
  echo "$size:"
  report "ffmpeg bilinear" theirs theirsCpu
  report "raw2tvx -444 -d2" ours2 ours2Cpu
  report "raw2tvx -444 (default)" ours oursCpu
done
