#!/usr/bin/env bash
# The test cluster itself: a card of four clips converted by a Slurm array
# job of four tasks, each an ordinary run of one clip, gives the same files as
# the same four runs made directly; and a task that fails shows as failed.
#
#   slurm_standin_test.sh RAW2TVX MKCLIP
set -euo pipefail
# shellcheck source=tests/farm/farm_lib.sh
source "$(dirname "$0")/farm_lib.sh"
raw2tvx=$(realpath "$1")
mkclip=$(realpath "$2")

require_root
require_tools sbatch slurmctld slurmd munged
make_card "$mkclip" "$work/card" 4
mkdir -p "$work/bad"
cp "$work/card/C001.RAW" "$work/bad/C001.RAW"
make_truncated_clip "$mkclip" "$work/bad/C002.RAW"
cd "$work"

mkdir -p direct out
for task in 0 1 2 3; do
    "$raw2tvx" "card/C00$((task + 1)).RAW" "direct/c${task}_%05d.dpx" -444 >/dev/null
done

start_cluster
# Task 1 of the second job meets the truncated clip, which raw2tvx refuses
# with exit code 6.
started=$SECONDS
good=$(sbatch --parsable --array=0-3 --output="logs/good_%a.out" \
    --wrap "'$raw2tvx' card/C00\$((SLURM_ARRAY_TASK_ID + 1)).RAW out/c\${SLURM_ARRAY_TASK_ID}_%05d.dpx -444")
bad=$(sbatch --parsable --array=0-1 --output="logs/bad_%a.out" \
    --wrap "'$raw2tvx' bad/C00\$((SLURM_ARRAY_TASK_ID + 1)).RAW out/bad\${SLURM_ARRAY_TASK_ID}_%05d.dpx -444")
# sbatch --wait on a job already submitted: srun would start a step of its
# own, so wait with a dependency that needs nothing but the jobs' ends.
sbatch --wait --quiet --dependency="afterany:$good:$bad" --output=/dev/null --wrap true
echo "two array jobs of six tasks in $((SECONDS - started)) s"

expect_tasks "$good" "$(completed_tasks 4)"
expect_tasks "$bad" "$(printf '0 COMPLETED 0:0\n1 FAILED 6:0')"
rm -f out/bad0_*.dpx
same_files direct out 12
