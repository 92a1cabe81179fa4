#!/usr/bin/env bash
# A card converted by GNU parallel, one raw2tvx job per clip with the clip
# count from --plan, writes the same files, byte for byte, as one ordinary
# run: a DPX sequence and movies. A job whose clip is cut short fails with
# raw2tvx's exit code.
#
#   gnu_parallel_test.sh RAW2TVX MKCLIP
set -euo pipefail
# shellcheck source=tests/farm/farm_lib.sh
source "$(dirname "$0")/farm_lib.sh"
raw2tvx=$(realpath "$1")
mkclip=$(realpath "$2")

require_tools parallel
make_card "$mkclip" "$work/card" 4
mkdir -p "$work/bad"
cp "$work/card/C001.RAW" "$work/bad/C001.RAW"
make_truncated_clip "$mkclip" "$work/bad/C002.RAW"
cd "$work"

mkdir -p whole_dpx whole_mov dpx mov bad_out
"$raw2tvx" 'card/*.RAW' 'whole_dpx/*_%05d.dpx' -444 >/dev/null
"$raw2tvx" 'card/*.RAW' 'whole_mov/*.mov' -422 >/dev/null

# The count from the plan's top-level line, as the README shows it.
clips=$("$raw2tvx" 'card/*.RAW' 'dpx/*_%05d.dpx' -444 --plan |
    sed -n 's/^  "clipCount": \([0-9][0-9]*\),$/\1/p')
[ "$clips" = 4 ] || fail "the plan counts '$clips' clips, not 4"

started=$SECONDS
seq 0 $((clips - 1)) | parallel -j2 -q "$raw2tvx" 'card/*.RAW' 'dpx/*_%05d.dpx' -444 \
    --threads=1 --clip-index={} >logs/dpx.out 2>&1 || fail "parallel DPX jobs failed"
seq 0 $((clips - 1)) | parallel -j2 -q "$raw2tvx" 'card/*.RAW' 'mov/*.mov' -422 \
    --threads=1 --clip-index={} >logs/mov.out 2>&1 || fail "parallel movie jobs failed"
echo "eight jobs in $((SECONDS - started)) s"
same_files whole_dpx dpx 12
same_files whole_mov mov 4

# parallel's exit code counts the failed jobs; its job log has each job's.
status=0
parallel -j2 --joblog logs/bad.joblog -q "$raw2tvx" 'bad/*.RAW' 'bad_out/*_%05d.dpx' -444 \
    --threads=1 --clip-index={} ::: 0 1 >logs/bad.out 2>&1 || status=$?
[ $status -eq 1 ] || fail "parallel counted $status failed jobs, not 1"
# Its columns: Seq Host Starttime JobRuntime Send Receive Exitval Signal Command.
exits=$(awk -F'\t' 'NR > 1 { print $1, $7 }' logs/bad.joblog | sort -n | tr '\n' ' ')
[ "$exits" = "1 0 2 6 " ] || fail "the jobs' exit codes are not 0 and 6: $exits"
