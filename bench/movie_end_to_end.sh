#!/usr/bin/env bash
# Movie throughput of raw2tvx at 1920x1080 on a noisy chart clip, in frames
# per second: the RAW Bayer movie (lossless JPEG), and the -422 ProRes HQ
# movie beside the FFmpeg command-line chain that makes the same kind of
# movie from the same frames as 16-bit Bayer (libswscale's demosaic and
# conversion, then prores_ks at a fixed quantiser, or the prores encoder).
# All runs go to files in the page cache and alternate, round by round, so
# that a busy machine slows them alike; each figure is the best of the rounds,
# with the range beside it.
#
#   bench/movie_end_to_end.sh [build dir]     FRAMES=120 ROUNDS=3 by default
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
frames=${FRAMES:-120}
rounds=${ROUNDS:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/raw2tvx-movie-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# The same scene twice: packed 14-bit for raw2tvx, plain 16-bit samples
# (each the 14-bit sample times 4) for FFmpeg, its 192-byte trailer cut off.
scene=(--width 1920 --height 1080 --frames "$frames" --scene chart --noise 8)
"$build/mkclip" "${scene[@]}" BENCH.RAW >/dev/null
"$build/mkclip" "${scene[@]}" --packing 16 WIDE.RAW >/dev/null
head -c "$((1920 * 1080 * 2 * frames))" WIDE.RAW >frames.raw
rm WIDE.RAW
cat BENCH.RAW frames.raw >/dev/null

seconds() { date +%s.%N; }
fps() { awk -v n="$frames" -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", n / (b - a) }'; }

# One timed run of a command; prints frames per second.
timed() {
  local start end
  start=$(seconds)
  "$@" >/dev/null 2>&1
  end=$(seconds)
  fps "$start" "$end"
}

ffmpeg_input=(/usr/bin/ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt bayer_rggb16le -s 1920x1080
  -r 24 -i frames.raw)

declare -A results
for ((round = 1; round <= rounds; ++round)); do
  results[raw_mov]+=" $(timed "$build/raw2tvx" BENCH.RAW raw.mov)"
  results[raw_avi]+=" $(timed "$build/raw2tvx" BENCH.RAW raw.avi)"
  results[yuv422_mov]+=" $(timed "$build/raw2tvx" BENCH.RAW yuv.mov -422)"
  results[ffmpeg_prores_ks]+=" $(timed "${ffmpeg_input[@]}" -c:v prores_ks -profile:v 3 -qscale:v 4 ks.mov)"
  results[ffmpeg_prores]+=" $(timed "${ffmpeg_input[@]}" -c:v prores -profile:v 3 plain.mov)"
  rm -f raw.mov raw.avi yuv.mov ks.mov plain.mov
done

best() { tr ' ' '\n' <<<"${results[$1]}" | awk 'NF { if ($1 > b) b = $1 } END { printf "%.1f", b }'; }
range() {
  tr ' ' '\n' <<<"${results[$1]}" |
    awk 'NF { if (!n++ || $1 < lo) lo = $1; if ($1 > hi) hi = $1 } END { printf "%.1f-%.1f", lo, hi }'
}

echo "1920x1080 chart with noise, $frames frames, $rounds rounds, $(nproc) cores"
echo "  $(lscpu | sed -n 's/^Model name: *//p')"
printf '  %-52s %7s fps  (%s)\n' \
  "raw2tvx RAW movie, MOV (lossless JPEG; goal 100)" "$(best raw_mov)" "$(range raw_mov)" \
  "raw2tvx RAW movie, AVI" "$(best raw_avi)" "$(range raw_avi)" \
  "raw2tvx -422 movie, MOV (ProRes 422 HQ)" "$(best yuv422_mov)" "$(range yuv422_mov)" \
  "ffmpeg 16-bit Bayer -> prores_ks HQ, -qscale:v 4" "$(best ffmpeg_prores_ks)" "$(range ffmpeg_prores_ks)" \
  "ffmpeg 16-bit Bayer -> prores HQ" "$(best ffmpeg_prores)" "$(range ffmpeg_prores)"
awk -v ours="$(best yuv422_mov)" -v ks="$(best ffmpeg_prores_ks)" -v plain="$(best ffmpeg_prores)" 'BEGIN {
  chain = ks > plain ? ks : plain
  if (chain > 0) printf "  -422 against the faster FFmpeg chain: %.2fx (goal 1.5x)\n", ours / chain
}'
