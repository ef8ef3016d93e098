#!/usr/bin/env bash
# Checks the bash completion of brindle:
# test-completion.sh <completion file> <list_options program>.
# The completion's option names must be the program's own, in the order the
# program matches them (list_options prints its option table). Each further
# check types a command line, splits it into words as bash does (at blanks,
# and at ":" and "=", which COMP_WORDBREAKS holds), calls the completion
# function and compares the offered words. The file names and the system's
# encoding list are made up here, so the result does not depend on the
# machine.
set -u
# shellcheck source=../doc/check-tally.sh
source "$(dirname "$0")/../doc/check-tally.sh"
completion=$(realpath "$1")
list_options=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/files/conf" "$work/bin"
touch "$work/files/pom.xml" "$work/files/post.txt" "$work/files/conf/app.config"
# glibc's format of "iconv -l": one name a line, "//" after each.
cat >"$work/bin/iconv" <<'EOF'
#!/bin/sh
printf '%s//\n' UTF-8 UTF-16 ISO-8859-1 ISO-8859-15 LATIN1 WINDOWS-1252
echo ISO-10646/UTF-8/
EOF
chmod +x "$work/bin/iconv"
PATH="$work/bin:$PATH"

# shellcheck source=brindle
source "$completion"
cd "$work/files" || exit 1

# The option names, in the program's order; "/?" is offered on its own.
((checks++))
mapfile -t program_options < <("$list_options" | grep -vx '?')
if [[ ${#program_options[@]} -lt 7 || "${program_options[*]}" != "${_brindle_option_names[*]}" ]]; then
    ((failures++))
    printf 'FAIL: the completion offers the options: %s\n  the program has: %s\n' \
        "${_brindle_option_names[*]}" "${program_options[*]}"
fi

# Completes the line $1 (the cursor at its end) into the array offered.
complete_line() {
    local line=$1 word pieces=() rest
    read -ra words_typed <<<"$line"
    [[ $line == *" " ]] && words_typed+=("")
    for word in "${words_typed[@]}"; do
        rest=$word
        while [[ $rest == *[:=]* ]]; do
            local before=${rest%%[:=]*}
            [[ -n $before ]] && pieces+=("$before")
            pieces+=("${rest:${#before}:1}")
            rest=${rest:${#before}+1}
        done
        [[ -n $rest || $word == "" ]] && pieces+=("$rest")
    done
    COMP_WORDS=("${pieces[@]}")
    COMP_CWORD=$((${#pieces[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _brindle 2>/dev/null
    mapfile -t offered < <(printf '%s\n' "${COMPREPLY[@]}" | sort)
}

# expect LINE WORD...: exactly these words are offered.
expect() {
    local line=$1
    shift
    complete_line "$line"
    local want got
    want=$(printf '%s\n' "$@" | sort)
    got=$(printf '%s\n' "${offered[@]}")
    ((checks++))
    if [[ $want != "$got" ]]; then
        ((failures++))
        printf 'FAIL: "%s"\n  expected: %s\n  offered:  %s\n' "$line" "$(echo $want)" "$(echo $got)"
    fi
}

# expect_some LINE WORD...: these words are among those offered.
expect_some() {
    local line=$1 word
    shift
    complete_line "$line"
    ((checks++))
    for word; do
        if ! printf '%s\n' "${offered[@]}" | grep -qxF -- "$word"; then
            ((failures++))
            printf 'FAIL: "%s" does not offer %s (offered: %s)\n' "$line" "$word" "${offered[*]}"
            return
        fi
    done
}

# Options in their three spellings, abbreviated and in any case.
expect "brindle pom.xml /n" /nodeclaration /ns
expect "brindle pom.xml -p" -preserve
expect "brindle pom.xml /IN" /indent
expect "brindle pom.xml --o" --output
expect "brindle pom.xml -c" -create
expect "brindle pom.xml --" --batch --create --encoding --indent --nodeclaration --output --all --get --ns --preserve --version --display --help
expect_some "brindle pom.xml /" /batch /create /display /encoding /indent /nodeclaration /output /preserve /help "/?"
expect_some "brindle pom.xml /b" /batch
expect "brindle pom.xml -5" 
# A second "/" makes the word a path; files are offered relative or absolute.
expect "brindle $work/files/po" "$work/files/pom.xml" "$work/files/post.txt"
expect "brindle po" pom.xml post.txt
expect "brindle co" conf
expect "brindle pom.xml changes.txt 4.2.0 /batch conf/" conf/app.config
# Queries are not files.
expect "brindle pom.xml ?/_:pro"

# /display: levels, then modes, after a colon, "=" or as next arguments.
expect "brindle pom.xml /display " none normal
expect "brindle pom.xml /d n" none normal
expect "brindle pom.xml /display:no" none normal
# Right after the colon bash replaces the colon itself.
expect "brindle pom.xml /display:" :none :normal
expect "brindle pom.xml /display:normal," normal,text normal,unicode normal,utf8
expect "brindle pom.xml /DISP:normal,u" normal,unicode normal,utf8
expect "brindle pom.xml --display=none,t" none,text
expect "brindle pom.xml /display normal " text unicode utf8
expect "brindle pom.xml /display normal u" unicode utf8

# /encoding: the system's names, in the case the user types.
expect "brindle pom.xml /encoding iso" iso-8859-1 iso-8859-15
expect "brindle pom.xml /encoding ISO-8859-1" ISO-8859-1 ISO-8859-15
expect "brindle pom.xml /en:win" windows-1252
expect "brindle pom.xml --encoding=utf-1" utf-16
expect "brindle pom.xml /encoding iso-10646"
# The list is asked once per shell.
printf '#!/bin/sh\necho EBCDIC-US//\n' >"$work/bin/iconv"
expect "brindle pom.xml /encoding utf" utf-8 utf-16

# /output: file names after a colon, "=" or a blank.
expect "brindle pom.xml /output p" pom.xml post.txt
expect "brindle pom.xml /o:p" pom.xml post.txt
expect "brindle pom.xml --output=conf/" conf/app.config

# "/soap:Envelope/..." is a query, not an option with a value.
expect "brindle pom.xml /soap:Env"

report_checks completion
