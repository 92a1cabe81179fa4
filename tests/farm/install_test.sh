#!/usr/bin/env bash
# What an install puts on a machine, staged in a temporary directory: the two
# programs, their man pages made from their --help, and bash completion. The
# installed programs answer --help and --version alone on the command line
# and keep the usual help with exit code 1 otherwise.
#
#   install_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$(realpath "$1")
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

DESTDIR=$work/stage cmake --install "$build" --prefix /usr >/dev/null
usr=$work/stage/usr
staged=$(cd "$usr" && find . -type f | sort | tr '\n' ' ')
[ "$staged" = "./bin/dpxinfo ./bin/raw2tvx ./lib/raw2tvx/modules/raw2tvx-movie.so ./share/bash-completion/completions/dpxinfo \
./share/bash-completion/completions/raw2tvx ./share/man/man1/dpxinfo.1.gz ./share/man/man1/raw2tvx.1.gz " ] ||
    fail "installed: $staged"

[ "$("$usr/bin/raw2tvx" --version)" = "raw2tvx $version" ] || fail "raw2tvx --version"
[ "$("$usr/bin/dpxinfo" --version)" = "dpxinfo $version" ] || fail "dpxinfo --version"
help=$("$usr/bin/raw2tvx" --help </dev/null) || fail "raw2tvx --help exits with $?"
[ "$(head -n 1 <<<"$help")" = "Usage: raw2tvx inputfile.raw output.mov|avi [switches]" ] ||
    fail "raw2tvx --help does not start with the usage line"
status=0
"$usr/bin/raw2tvx" --plan </dev/null >/dev/null || status=$?
[ $status -eq 1 ] || fail "one argument other than --help or --version exits with $status, not 1"
"$usr/bin/dpxinfo" --help | grep -q '^Usage: dpxinfo FILE' || fail "dpxinfo --help"

# Every switch line of the help text is in the man page as man shows it,
# spaces aside.
man_text=$(LC_ALL=C MANWIDTH=200 MANPAGER=cat man -l "$usr/share/man/man1/raw2tvx.1.gz" 2>/dev/null |
    tr -s ' ')
switch_lines=0
while read -r line; do
    grep -qxF -- " $line" <<<"$man_text" || fail "the man page lacks: $line"
    switch_lines=$((switch_lines + 1))
done < <(grep '^       -' <<<"$help" | tr -s ' ')
[ $switch_lines -ge 18 ] || fail "the help text has $switch_lines switch lines, not 18 or more"
grep -qx 'SEE ALSO' <<<"$man_text" || fail "the man page has no SEE ALSO"

# The completion offers switches, clips for the input and outputs after it.
cd "$work"
touch A001.RAW B.txt out.mov
replies=$(bash -c 'source "$1"
    complete_words() {
        COMP_WORDS=("${@:2}"); COMP_CWORD=$(($# - 2)); _raw2tvx
        printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "; echo
    }
    complete_words - raw2tvx -4
    complete_words - raw2tvx --th
    complete_words - raw2tvx ""
    complete_words - raw2tvx A001.RAW ""' - "$usr/share/bash-completion/completions/raw2tvx" 2>/dev/null)
expected=$(printf '%s \n' '-422 -444' --threads= 'A001.RAW stage' 'out.mov stage')
[ "$replies" = "$expected" ] || fail "completion gave: $replies"

# The installed program finds its movie module in ../lib/raw2tvx/modules.
mkdir "$work/movie"
"$build/mkclip" --width 64 --height 32 --frames 2 "$work/movie/C.RAW" >/dev/null
"$usr/bin/raw2tvx" "$work/movie/C.RAW" "$work/movie/c.mov" -422 >/dev/null ||
    fail "the installed raw2tvx wrote no movie"
[ -s "$work/movie/c.mov" ] || fail "the installed raw2tvx wrote no movie"
echo "installed tree, --help, --version, man page, completion and movie module as expected"
