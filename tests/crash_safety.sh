#!/usr/bin/env bash
# Crash safety of a DPX run: kills raw2tvx with SIGKILL at random moments of
# a conversion and checks, after every kill, that each file under a final
# name is whole (its exact size, accepted by dpxinfo and decoded by FFmpeg)
# and that the input clip is unchanged. Temporary files a killed run leaves
# are hidden names, never final ones, and are cleared between runs.
#
# usage: tests/crash_safety.sh BIN_DIR [KILLS] [SEED]
#   BIN_DIR holds raw2tvx, mkclip and dpxinfo; KILLS defaults to 200.
set -euo pipefail

bin=$(cd "$1" && pwd)
kills=${2:-200}
RANDOM=${3:-$$}
for tool in raw2tvx mkclip dpxinfo; do
  [ -x "$bin/$tool" ] || { echo "crash_safety: no $bin/$tool" >&2; exit 2; }
done
command -v ffmpeg >/dev/null || { echo "crash_safety: ffmpeg is needed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir out

width=256
height=128
frames=40
expected_size=$((2048 + width * height * 4))
"$bin/mkclip" --width $width --height $height --frames $frames --scene ramp clip.RAW
clip_sum=$(sha256sum clip.RAW)

# How long a whole run takes, in milliseconds: the kills fall within it.
start=$(date +%s%N)
"$bin/raw2tvx" clip.RAW out/f_%03d.dpx >/dev/null
run_ms=$(( ($(date +%s%N) - start) / 1000000 + 1 ))

checked=0
failures=0
fail() {
  echo "crash_safety: $*" >&2
  failures=$((failures + 1))
}

touch stamp
for ((kill_number = 1; kill_number <= kills; kill_number++)); do
  delay_ms=$((RANDOM % run_ms))
  "$bin/raw2tvx" clip.RAW out/f_%03d.dpx >/dev/null 2>&1 &
  pid=$!
  sleep "$(printf '0.%03d' "$delay_ms")"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true

  # Every final name must be a whole file; those replaced since the last
  # check are decoded too.
  for file in out/f_*.dpx; do
    [ -e "$file" ] || continue
    size=$(stat -c %s "$file")
    [ "$size" -eq "$expected_size" ] || fail "kill $kill_number after ${delay_ms} ms: $file holds $size bytes, not $expected_size"
    "$bin/dpxinfo" "$file" >/dev/null 2>dpxinfo.err || fail "kill $kill_number: dpxinfo refuses $file: $(cat dpxinfo.err)"
  done
  while IFS= read -r file; do
    if ! ffmpeg -nostdin -v error -i "$file" -f null - >/dev/null 2>ffmpeg.err || [ -s ffmpeg.err ]; then
      fail "kill $kill_number: FFmpeg cannot decode $file: $(cat ffmpeg.err)"
    fi
    checked=$((checked + 1))
  done < <(find out -name 'f_*.dpx' -newer stamp)
  touch stamp
  rm -f out/.f_*.dpx.tmp-*
  [ "$(sha256sum clip.RAW)" = "$clip_sum" ] || fail "kill $kill_number: the input clip changed"
done

echo "crash_safety: $kills kills within ${run_ms} ms runs, $checked replaced files decoded, $failures failures"
[ "$failures" -eq 0 ]
