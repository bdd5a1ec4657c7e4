#!/usr/bin/env bash
# The manual pages and the bash completion are written by hand: every command and option that the
# programs' own --help lists must be in them, so that a new option without its page or its completion
# fails here. Usage: man_pages_test.sh SOURCE_DIR TESSAPRINT TESSAPRINT_CLI TESSAPRINT_SIM
set -u
source_dir=$1 gui=$2 cli=$3 sim=$4
man=$source_dir/docs/man
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The long options of a --help text (Qt's and CLI11's layouts alike), one per line, without --help.
options_of() { sed -nE 's/^ +(-[a-zA-Z], ?)?(--[a-z0-9-]+).*/\2/p' | grep -vx -- '--help'; }
# The commands a CLI11 --help lists under "Subcommands:".
commands_of() { sed -n '/^Subcommands:/,/^$/p' | sed -nE 's/^  ([a-z][a-z0-9-]*) .*/\1/p'; }
# A page as plain text: troff's escaped hyphens and font changes undone.
plain() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$1"; }
# The text of one section (.SH or .SS NAME) of a page, up to the next.
section() { plain "$1" | awk -v name="$2" '
    /^\.S[HS] / { title = $0; sub(/^\.S[HS] +/, "", title); gsub(/"/, "", title); inside = (title == name); next }
    inside'; }
has_option() { grep -qE -- "(^|[^a-z0-9-])$1([^a-z0-9-]|\$)"; }

check_options() { # PAGE SECTION HELP_TEXT
    local option
    for option in $(options_of <<<"$3"); do
        section "$1" "$2" | has_option "$option" || fail "$(basename "$1"): $option is not in $2"
    done
}

for page in tessaprint tessaprint-cli tessaprint-sim; do
    [ -f "$man/$page.1" ] || fail "no manual page $page.1"
    if command -v groff >/dev/null; then
        warnings=$(groff -man -Tutf8 -ww -z "$man/$page.1" 2>&1)
        [ -z "$warnings" ] || fail "$page.1 has troff warnings: $warnings"
    fi
done
check_options "$man/tessaprint.1" OPTIONS "$("$gui" --help)"
check_options "$man/tessaprint-sim.1" OPTIONS "$("$sim" --help)"
check_options "$man/tessaprint-cli.1" OPTIONS "$("$cli" --help)"

# The completion, with the few helpers of bash-completion it uses stood in for.
_init_completion() { words=("${COMP_WORDS[@]}"); cword=$COMP_CWORD; cur=${words[cword]}; prev=${words[cword - 1]}; }
_filedir() { :; }
# shellcheck source=/dev/null
source "$source_dir/resources/tessaprint-cli.bash-completion"
completions() { COMP_WORDS=(tessaprint-cli "$@"); COMP_CWORD=$#; COMPREPLY=(); _tessaprint_cli; printf '%s\n' "${COMPREPLY[@]}"; }

commands=0
check_command() { # the words of a command, e.g. "history import"
    local help
    help=$("$cli" "$@" --help) || { fail "tessaprint-cli $* --help failed"; return; }
    local subcommands sub
    subcommands=$(commands_of <<<"$help")
    if [ -n "$subcommands" ]; then
        for sub in $subcommands; do
            completions "$@" "" | grep -qx "$sub" || fail "the completion of 'tessaprint-cli $*' lacks $sub"
            check_command "$@" "$sub"
        done
        return
    fi
    commands=$((commands + 1))
    local page=$man/tessaprint-cli.1
    plain "$page" | grep -qx "\.SS \"$*\"" || fail "tessaprint-cli.1 has no section for the command '$*'"
    check_options "$page" "$*" "$help"
    local option offered
    offered=$(completions "$@" --)
    for option in $(options_of <<<"$help"); do
        grep -qx -- "$option" <<<"$offered" || fail "the completion of 'tessaprint-cli $*' lacks $option"
    done
}
for command in $(commands_of <<<"$("$cli" --help)"); do
    completions "" | grep -qx "$command" || fail "the completion of tessaprint-cli lacks the command $command"
    check_command "$command"
done
[ "$commands" -ge 10 ] || fail "only $commands commands read from tessaprint-cli --help"

[ "$failures" -eq 0 ] && echo "manual pages and completion: $commands commands, every option"
exit $((failures > 0))
