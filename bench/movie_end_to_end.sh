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
#
# The files go under TMPDIR (/tmp). raw2tvx makes each movie durable before
# it takes its final name, so on a disk its time includes waiting for the
# disk to take the whole movie, which FFmpeg does not do; TMPDIR=/dev/shm
# measures the conversion alone.
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

# One timed run of a command: frames per second by the clock, and the
# processor time of all its threads per frame in milliseconds (which a busy
# machine disturbs far less).
timed() {
  local report
  if ! report=$({ TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>"$work/error"; } 2>&1); then
    echo "failed: $*" >&2
    cat "$work/error" >&2
    exit 1
  fi
  awk -v n="$frames" -v r="$report" 'BEGIN {
    split(r, t, " "); printf "%.1f:%.1f", n / t[1], 1000 * (t[2] + t[3]) / n }'
}

# Both FFmpeg encoders are told the 4:2:2 pictures of the HQ profile: left to
# choose, prores_ks takes 4:4:4 and the prores encoder refuses to start.
ffmpeg_input=(/usr/bin/ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt bayer_rggb16le -s 1920x1080
  -r 24 -i frames.raw -pix_fmt yuv422p10le)

declare -A results
for ((round = 1; round <= rounds; ++round)); do
  results[raw_mov]+=" $(timed "$build/raw2tvx" BENCH.RAW raw.mov)"
  results[raw_avi]+=" $(timed "$build/raw2tvx" BENCH.RAW raw.avi)"
  results[yuv422_mov]+=" $(timed "$build/raw2tvx" BENCH.RAW yuv.mov -422)"
  results[ffmpeg_prores_ks]+=" $(timed "${ffmpeg_input[@]}" -c:v prores_ks -profile:v 3 -qscale:v 4 ks.mov)"
  results[ffmpeg_prores]+=" $(timed "${ffmpeg_input[@]}" -c:v prores -profile:v 3 plain.mov)"
  rm -f raw.mov raw.avi yuv.mov ks.mov plain.mov
  # The ratio of this round's runs, which ran close together in time.
  results[ratio]+=" $(awk -v r="${results[yuv422_mov]##* }" -v k="${results[ffmpeg_prores_ks]##* }" \
    -v p="${results[ffmpeg_prores]##* }" 'BEGIN {
      split(r, a, ":"); split(k, b, ":"); split(p, c, ":")
      printf "%.2f:0", a[1] / (b[1] > c[1] ? b[1] : c[1]) }')"
done

# The best and the range of one figure over the rounds: field 1 is frames
# per second (best: highest), field 2 processor milliseconds a frame (lowest).
figures() {
  tr ' ' '\n' <<<"${results[$1]}" | awk -F: -v f="$2" 'NF {
      v = $f; if (!n++ || v < lo) lo = v; if (!hi || v > hi) hi = v }
    END { printf "%.1f %.1f-%.1f\n", (f == 1 ? hi : lo), lo, hi }'
}
best() { figures "$1" 1 | cut -d' ' -f1; }
line() {
  read -r fps fpsRange < <(figures "$2" 1)
  read -r cpu cpuRange < <(figures "$2" 2)
  printf '  %-50s %6s fps (%s)  %6s ms CPU/frame (%s)\n' "$1" "$fps" "$fpsRange" "$cpu" "$cpuRange"
}

echo "1920x1080 chart with noise, $frames frames, $rounds rounds, $(nproc) cores"
echo "  $(lscpu | sed -n 's/^Model name: *//p')"
line "raw2tvx RAW movie, MOV (lossless JPEG; goal 100)" raw_mov
line "raw2tvx RAW movie, AVI" raw_avi
line "raw2tvx -422 movie, MOV (ProRes 422 HQ)" yuv422_mov
line "ffmpeg 16-bit Bayer -> prores_ks HQ, -qscale:v 4" ffmpeg_prores_ks
line "ffmpeg 16-bit Bayer -> prores HQ" ffmpeg_prores
cpu() { figures "$1" 2 | cut -d' ' -f1; }
awk -v ours="$(best yuv422_mov)" -v ks="$(best ffmpeg_prores_ks)" -v plain="$(best ffmpeg_prores)" \
  -v oursCpu="$(cpu yuv422_mov)" -v ksCpu="$(cpu ffmpeg_prores_ks)" -v plainCpu="$(cpu ffmpeg_prores)" 'BEGIN {
  chain = ks > plain ? ks : plain
  chainCpu = ksCpu < plainCpu ? ksCpu : plainCpu
  if (chain > 0 && oursCpu > 0)
    printf "  -422 against the faster FFmpeg chain: %.2fx by the best clock rates (goal 1.5x), %.2fx by processor time\n",
      ours / chain, chainCpu / oursCpu
}'
read -r _ ratioRange < <(figures ratio 1)
echo "  the same, round by round: $ratioRange"
