#!/usr/bin/env bash
# A one-node Slurm cluster for tests, everything in one directory of its own.
#
#   slurm_cluster.sh start DIR   start munged, slurmctld and slurmd; return when the node is idle
#   slurm_cluster.sh stop DIR    stop every daemon that start began, by the pids it kept
#   slurm_cluster.sh env DIR     print the export line the clients need (SLURM_CONF)
#   slurm_cluster.sh run DIR COMMAND...
#                                start, run COMMAND with SLURM_CONF set, stop whatever happens;
#                                exits with COMMAND's code
#
# A test script can also source this file and call slurm_cluster_start DIR and
# slurm_cluster_stop DIR itself: the daemons are then its own children, and a
# test runner that kills the test's process tree on a time-out kills them too.
#
# The daemons run as root in the foreground (-D, -F) as background processes,
# with no systemd and nothing of the system's own: the munge key and socket,
# the configuration, state, spool, pid and log files all live in DIR, and the
# ports are picked free at start. A munged or Slurm already running on the
# machine is not touched. The node is described with the machine's real CPU
# count and memory, as `slurmd -C` reports them.
set -euo pipefail

readonly kNodeName=localhost
readonly kReadySeconds=30
readonly kStopSeconds=10
# Set in every daemon's environment so that stop can also find the job step
# daemons slurmd started, which leave slurmd's process tree.
readonly kMarker=RAW2TVX_TEST_SLURM_CLUSTER

usage() {
    echo "usage: $0 start|stop|env DIR | run DIR COMMAND..." >&2
    exit 2
}

log() { echo "slurm_cluster: $*" >&2; }

# True when something accepts connections on the local port.
port_in_use() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# Two neighbouring free ports, for slurmctld and slurmd.
pick_ports() {
    local base
    for _ in $(seq 1 50); do
        base=$((20000 + (RANDOM * 32768 + RANDOM) % 40000))
        if ! port_in_use "$base" && ! port_in_use $((base + 1)); then
            echo "$base"
            return 0
        fi
    done
    log "no free port pair found"
    return 1
}

write_munge_key() {
    local key=$1
    (umask 077 && dd if=/dev/urandom of="$key" bs=1024 count=1 status=none)
}

# The node line: the machine's own CPU layout and memory under our node name.
node_line() {
    local described
    described=$(slurmd -C | head -n 1)
    echo "NodeName=$kNodeName NodeAddr=127.0.0.1 ${described#NodeName=* } State=UNKNOWN"
}

write_config() {
    local dir=$1 port=$2
    cat >"$dir/slurm.conf" <<EOF
ClusterName=raw2tvxtest
SlurmctldHost=localhost
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$dir/munge/munge.socket
ProctrackType=proctrack/linuxproc
TaskPlugin=task/affinity
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
SchedulerType=sched/backfill
SchedulerParameters=batch_sched_delay=0
SwitchType=switch/none
MpiDefault=none
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
JobCompType=jobcomp/filetxt
JobCompLoc=$dir/jobcomp.log
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd.log
SlurmctldDebug=info
SlurmdDebug=info
ReturnToService=2
MinJobAge=4
MailProg=/bin/true
$(node_line)
PartitionName=test Nodes=$kNodeName Default=YES MaxTime=INFINITE State=UP
EOF
}

# Starts one daemon in the background with its output in DIR/log and keeps
# its pid in DIR/started/NAME.
launch() {
    local dir=$1 name=$2
    shift 2
    env "$kMarker=$dir" "$@" </dev/null >"$dir/log/$name.out" 2>&1 &
    echo "$!" >"$dir/started/$name"
}

started_pid() {
    cat "$1/started/$2" 2>/dev/null || true
}

# Waits until COMMAND succeeds; gives up when the time is over or one of the
# daemons has died, and then shows the end of the daemons' logs.
wait_for() {
    local dir=$1 description=$2
    shift 2
    local deadline=$((SECONDS + kReadySeconds)) problem=
    until "$@" >/dev/null 2>&1; do
        if [ $SECONDS -ge $deadline ]; then
            problem="timed out waiting for $description"
        fi
        local started
        for started in "$dir"/started/*; do
            alive "$(cat "$started")" || problem="${started##*/} died before $description"
        done
        if [ -n "$problem" ]; then
            log "$problem"
            tail -n 5 "$dir"/log/* >&2
            return 1
        fi
        sleep 0.1
    done
}

node_is_idle() {
    [ "$(sinfo -h -n "$kNodeName" -o %T)" = idle ]
}

alive() {
    [ -n "$1" ] && kill -0 "$1" 2>/dev/null
}

# The pids of the job step daemons and anything else that carries our marker.
marked_processes() {
    local dir=$1
    grep -lzxF "$kMarker=$dir" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true
}

# Asks processes to stop and waits for them; kills those that have not
# stopped in time.
stop_processes() {
    local pid deadline=$((SECONDS + kStopSeconds))
    for pid in "$@"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in "$@"; do
        while alive "$pid" && [ $SECONDS -lt $deadline ]; do
            sleep 0.05
        done
        if alive "$pid"; then
            log "killing $pid, which did not stop"
            kill -KILL "$pid" 2>/dev/null || true
        fi
    done
}

slurm_cluster_start() {
    local dir=$1
    if [ -d "$dir/started" ]; then
        log "$dir already holds a cluster; stop it first"
        return 1
    fi
    mkdir -p "$dir/started" "$dir/munge" "$dir/state" "$dir/spool" "$dir/log"
    chmod 711 "$dir" "$dir/munge"

    write_munge_key "$dir/munge/munge.key"
    launch "$dir" munged munged --foreground --force \
        --socket="$dir/munge/munge.socket" --key-file="$dir/munge/munge.key" \
        --pid-file="$dir/munge/munged.pid" \
        --seed-file="$dir/munge/munged.seed"
    wait_for "$dir" "munged's socket" test -S "$dir/munge/munge.socket"

    local port
    port=$(pick_ports)
    write_config "$dir" "$port"
    export SLURM_CONF=$dir/slurm.conf
    launch "$dir" slurmctld slurmctld -D -i
    launch "$dir" slurmd slurmd -D -N "$kNodeName"
    wait_for "$dir" "the node became idle" node_is_idle
}

slurm_cluster_stop() {
    local dir=$1
    [ -d "$dir/started" ] || return 0
    # Jobs first, so that their step daemons end cleanly while slurmd still
    # runs. Without a controller scancel would retry for a long time.
    if alive "$(started_pid "$dir" slurmctld)"; then
        SLURM_CONF=$dir/slurm.conf timeout 5 scancel --quiet --user=root 2>/dev/null || true
    fi
    # The Slurm daemons and what they started, then munged, which they need
    # until they are gone.
    local munged slurm rest
    munged=$(started_pid "$dir" munged)
    mapfile -t slurm < <( (started_pid "$dir" slurmd; started_pid "$dir" slurmctld
        marked_processes "$dir") | sort -u | grep -vxF "${munged:-none}")
    stop_processes "${slurm[@]}"
    mapfile -t rest < <(marked_processes "$dir")
    stop_processes "$munged" "${rest[@]}"
    rm -rf "$dir/started"
}

print_env() {
    echo "export SLURM_CONF=$1/slurm.conf"
}

main() {
    [ $# -ge 2 ] || usage
    # Not local: the EXIT traps read them after main has returned.
    local command=$1
    directory='' command_pid=''
    mkdir -p "$2"
    directory=$(cd "$2" && pwd)
    shift 2
    # A signal ends the script through exit, so the EXIT trap below still runs.
    trap 'exit 130' INT
    trap 'exit 143' TERM
    case $command in
    start)
        # Whatever fails on the way, nothing started is left running.
        trap 'slurm_cluster_stop "$directory"' EXIT
        slurm_cluster_start "$directory"
        trap - EXIT
        ;;
    stop) slurm_cluster_stop "$directory" ;;
    env) print_env "$directory" ;;
    run)
        [ $# -gt 0 ] || usage
        trap 'if [ -n "$command_pid" ]; then kill -TERM "$command_pid" 2>/dev/null || true; fi
              slurm_cluster_stop "$directory"' EXIT
        slurm_cluster_start "$directory"
        # In the background, so that a signal to this script is handled at once.
        SLURM_CONF=$directory/slurm.conf "$@" &
        command_pid=$!
        wait "$command_pid"
        ;;
    *) usage ;;
    esac
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    main "$@"
fi
