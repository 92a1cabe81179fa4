#!/usr/bin/env bash
# A card converted on a one-node Slurm cluster as array jobs of one task per
# clip, submitted by scripts/slurm-submit-card, writes the same files, byte
# for byte, as one ordinary run: a DPX sequence and movies. A task whose clip
# is cut short fails with raw2tvx's exit code and shows as failed.
#
#   slurm_array_test.sh RAW2TVX MKCLIP SCRIPTS_DIR
set -euo pipefail
# shellcheck source=tests/farm/farm_lib.sh
source "$(dirname "$0")/farm_lib.sh"
raw2tvx=$(realpath "$1")
mkclip=$(realpath "$2")
scripts=$(realpath "$3")

require_root
require_tools sbatch slurmctld slurmd munged
make_card "$mkclip" "$work/card" 4
mkdir -p "$work/bad"
cp "$work/card/C001.RAW" "$work/bad/C001.RAW"
make_truncated_clip "$mkclip" "$work/bad/C002.RAW"
cd "$work"

mkdir -p whole_dpx whole_mov dpx mov bad_out
"$raw2tvx" 'card/*.RAW' 'whole_dpx/*_%05d.dpx' -444 >/dev/null
"$raw2tvx" 'card/*.RAW' 'whole_mov/*.mov' -422 >/dev/null

start_cluster
export RAW2TVX=$raw2tvx

# A run that --plan refuses is not submitted, and its exit code comes back.
status=0
"$scripts/slurm-submit-card" --wait -- 'missing/*.RAW' 'dpx/*_%05d.dpx' -444 \
    >logs/refused.out 2>&1 || status=$?
[ $status -eq 5 ] || fail "a wildcard matching nothing was submitted or gave exit code $status, not 5"
[ -z "$(squeue -h)" ] || fail "a job was submitted for a wildcard matching nothing"

started=$SECONDS
"$scripts/slurm-submit-card" --wait --parsable --output='logs/dpx_%a.out' -- \
    'card/*.RAW' 'dpx/*_%05d.dpx' -444 >logs/dpx.job &
dpx_submit=$!
"$scripts/slurm-submit-card" --wait --parsable --output='logs/mov_%a.out' -- \
    'card/*.RAW' 'mov/*.mov' -422 >logs/mov.job &
mov_submit=$!
sbatch --wait --parsable --array=0-1 --output='logs/bad_%a.out' \
    "$scripts/slurm-card.sbatch" 'bad/*.RAW' 'bad_out/*_%05d.dpx' -444 >logs/bad.job &
bad_submit=$!
wait $dpx_submit || fail "the DPX array job ended with exit code $?"
wait $mov_submit || fail "the movie array job ended with exit code $?"
status=0
wait $bad_submit || status=$?
[ $status -eq 6 ] || fail "the array job with a truncated clip ended with exit code $status, not 6"
echo "three array jobs of ten tasks in $((SECONDS - started)) s"

expect_tasks "$(cut -d';' -f1 logs/dpx.job)" "$(completed_tasks 4)"
expect_tasks "$(cut -d';' -f1 logs/mov.job)" "$(completed_tasks 4)"
expect_tasks "$(cut -d';' -f1 logs/bad.job)" "$(printf '0 COMPLETED 0:0\n1 FAILED 6:0')"
same_files whole_dpx dpx 12
same_files whole_mov mov 4
