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

width=640
height=360
frames=24
expected_size=$((2048 + width * height * 4))
"$bin/mkclip" --width $width --height $height --frames $frames --scene ramp clip.RAW
clip_sum=$(sha256sum clip.RAW)

# How long a whole run takes, in milliseconds: the kills fall within it.
start=$(date +%s%N)
"$bin/raw2tvx" clip.RAW out/f_%03d.dpx >/dev/null
run_ms=$(( ($(date +%s%N) - start) / 1000000 + 1 ))

checked=0
failures=0
mid_write=0  # kills that fell while a file was being written
fail() {
  echo "crash_safety: $*" >&2
  failures=$((failures + 1))
}

for ((kill_number = 1; kill_number <= kills; kill_number++)); do
  delay_ms=$((RANDOM % run_ms))
  "$bin/raw2tvx" clip.RAW out/f_%03d.dpx >/dev/null 2>&1 &
  pid=$!
  sleep "$(printf '0.%03d' "$delay_ms")"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true

  # Every final name must be a whole file: its exact size, accepted by
  # dpxinfo, decoded by FFmpeg (which names a bad file on standard error).
  shopt -s nullglob
  files=(out/f_*.dpx)
  shopt -u nullglob
  if [ ${#files[@]} -gt 0 ]; then
    while read -r size file; do
      [ "$size" -eq "$expected_size" ] ||
        fail "kill $kill_number after ${delay_ms} ms: $file holds $size bytes, not $expected_size"
    done < <(stat -c '%s %n' "${files[@]}")
    "$bin/dpxinfo" "${files[@]}" >/dev/null 2>dpxinfo.err ||
      fail "kill $kill_number after ${delay_ms} ms: dpxinfo: $(cat dpxinfo.err)"
    if ! ffmpeg -nostdin -v error -pattern_type glob -i 'out/f_*.dpx' -f null - >/dev/null 2>ffmpeg.err ||
        [ -s ffmpeg.err ]; then
      fail "kill $kill_number after ${delay_ms} ms: FFmpeg cannot decode every file: $(cat ffmpeg.err)"
    fi
    checked=$((checked + ${#files[@]}))
  fi
  if compgen -G 'out/.f_*.dpx.tmp-*' >/dev/null; then
    mid_write=$((mid_write + 1))
    rm -f out/.f_*.dpx.tmp-*
  fi
  [ "$(sha256sum clip.RAW)" = "$clip_sum" ] || fail "kill $kill_number: the input clip changed"
done

echo "crash_safety: $kills kills within ${run_ms} ms runs ($mid_write in the middle of a file), $checked files checked, $failures failures"
[ "$failures" -eq 0 ]
