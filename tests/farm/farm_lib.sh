# shellcheck shell=bash
# Shared by the farm tests: a card of small clips, a one-node Slurm cluster
# that is stopped whatever happens, and checks of what the tasks left.
# Sourced by the test scripts, which set -euo pipefail themselves.

readonly kSkip=77
farm_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# Sourced, so that the cluster's daemons are this test's own children.
# shellcheck source=tests/farm/slurm_cluster.sh
source "$farm_dir/slurm_cluster.sh"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# The daemons of the cluster run as root; elsewhere the test is skipped.
require_root() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "skipped: the Slurm daemons of this test run as root"
        exit $kSkip
    fi
}

require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps installs it)"
    done
}

# A working directory that goes away at the end, with the cluster in it.
work=
cluster=
cleanup() {
    local status=$?
    if [ -n "$cluster" ]; then
        slurm_cluster_stop "$cluster" || true
    fi
    if [ $status -ne 0 ] && [ -n "$work" ] && compgen -G "$work/logs/*" >/dev/null; then
        tail -n 20 "$work"/logs/* >&2 || true
    fi
    if [ -n "$work" ]; then
        rm -rf "$work"
    fi
    return $status
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
work=$(mktemp -d)
mkdir -p "$work/logs"

start_cluster() {
    cluster=$work/cluster
    local started=$SECONDS
    mkdir -p "$cluster"
    slurm_cluster_start "$cluster"
    export SLURM_CONF=$cluster/slurm.conf
    echo "cluster up in $((SECONDS - started)) s"
}

# make_card MKCLIP DIR COUNT: COUNT clips of 256x64, 3 frames each, every one
# its own noise, as DIR/C001.RAW, DIR/C002.RAW, ...
make_card() {
    local mkclip=$1 dir=$2 count=$3 clip
    mkdir -p "$dir"
    for clip in $(seq 1 "$count"); do
        "$mkclip" --width 256 --height 64 --frames 3 --noise 6 --seed "$clip" \
            "$(printf '%s/C%03d.RAW' "$dir" "$clip")" >/dev/null
    done
}

# A clip whose last file was cut short: it has lost its trailer.
make_truncated_clip() {
    local mkclip=$1 path=$2
    "$mkclip" --width 256 --height 64 --frames 3 --seed 99 "$path" >/dev/null
    truncate -s 50000 "$path"
}

# same_files EXPECTED ACTUAL COUNT: the two directories hold the same COUNT
# file names with the same bytes.
same_files() {
    local expected=$1 actual=$2 count=$3 found
    found=$(find "$expected" -type f | wc -l)
    [ "$found" -eq "$count" ] || fail "$expected holds $found files, not $count"
    diff -r "$expected" "$actual" >&2 || fail "$actual differs from $expected"
    echo "$actual: $count files equal to $expected"
}

# task_states JOB: "TASK STATE EXIT" for each task of array job JOB, in task
# order, as the controller recorded them when the tasks ended.
task_states() {
    local job=$1
    grep -F " ArrayJobId=$job " "$cluster/jobcomp.log" |
        sed -n 's/.* JobState=\([A-Z_]*\) .* ArrayTaskId=\([0-9]*\) .* ExitCode=\([0-9:]*\).*/\2 \1 \3/p' |
        sort -n
}

# expect_tasks JOB EXPECTED: the recorded task states are EXPECTED exactly.
expect_tasks() {
    local job=$1 expected=$2 states
    states=$(task_states "$job")
    if [ "$states" != "$expected" ]; then
        printf 'expected tasks:\n%s\nrecorded:\n%s\n' "$expected" "$states" >&2
        fail "array job $job did not end as expected"
    fi
    echo "array job $job: $(tr "\n" ";" <<<"$states")"
}

# completed_tasks COUNT: COUNT lines "K COMPLETED 0:0" for K = 0..COUNT-1.
completed_tasks() {
    local task
    for task in $(seq 0 $(($1 - 1))); do
        echo "$task COMPLETED 0:0"
    done
}
