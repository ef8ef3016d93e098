#!/usr/bin/env bash
# Checks the manual page: check-manpage.sh <page> <list_options program>.
# It must be plain ASCII roff that groff and man format without a single
# warning, hold the sections a reader looks for, and give every option of
# the program's option table (list_options prints it) an entry under
# OPTIONS, alone or beside the other names of the same option ("/?, /help").
# groff comes from the package groff-base: when it is missing and this runs
# as root (as CI does) it is installed; otherwise the check is skipped.
set -u
page=$1
list_options=$2
# shellcheck source=check-tally.sh
source "$(dirname "$0")/check-tally.sh"

if ! command -v groff >/dev/null && [[ $(id -u) == 0 ]] && command -v apt-get >/dev/null; then
    echo "check-manpage: installing groff-base"
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -qq --no-install-recommends groff-base >/dev/null 2>&1 ||
        { apt-get update -qq && apt-get install -y -qq --no-install-recommends groff-base; } >/dev/null 2>&1
fi
if ! command -v groff >/dev/null; then
    echo "check-manpage: SKIPPED: groff is not installed (apt-get install groff-base)"
    exit 0
fi

((checks++))
if LC_ALL=C grep -n '[^[:print:][:space:]]' "$page" >/dev/null; then
    fail "the page holds characters other than printable ASCII" "$(LC_ALL=C grep -n '[^[:print:][:space:]]' "$page")"
fi

# -ww turns on every warning; groff still exits 0 after one, so its
# messages are the verdict. Both the typesetter and the terminal device
# are tried: they break lines differently.
for device in ps utf8; do
    ((checks++))
    warnings=$(groff -ww -man -T"$device" -z "$page" 2>&1)
    [[ -z $warnings ]] || fail "groff -ww -T$device warns" "$warnings"
done

if command -v man >/dev/null; then
    ((checks++))
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "man --warnings warns" "$warnings"
else
    echo "check-manpage: man is not installed (apt-get install man-db): man --warnings not run"
fi

# The page as a reader sees it, without bold and underlining.
text=$(groff -man -Tascii -P-c -P-b -P-u -P-o "$page" 2>/dev/null)

for section in NAME SYNOPSIS DESCRIPTION OPTIONS "THE DESCRIPTION LANGUAGE" "EXIT STATUS" \
    FILES SAFETY EXAMPLES "SEE ALSO"; do
    ((checks++))
    grep -qx "$section" <<<"$text" || fail "no section $section"
done

# Every option of the table heads an entry, or stands in its list of names
# ("       /?, /help").
options_text=$(sed -n '/^OPTIONS$/,/^[A-Z][A-Z ]*$/p' <<<"$text" | sed '1d')
mapfile -t options < <("$list_options")
((checks++))
[[ ${#options[@]} -ge 7 ]] || fail "the option table holds only ${#options[@]} options"
for option in "${options[@]}"; do
    ((checks++))
    name=/${option//\?/\\?}
    grep -Eq "^       (/[a-z?]+, )*$name( |,|\$)" <<<"$options_text" ||
        fail "OPTIONS has no entry for /$option"
done

report_checks "manual page"
