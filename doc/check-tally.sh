# The tally of a check script, sourced by it: count each check with
# ((checks++)), report a failed one with fail WHAT [DETAILS] (or count it in
# failures yourself), and end with report_checks NAME, whose status is the
# script's verdict.
failures=0
checks=0

fail() {
    ((failures++))
    printf 'FAIL: %s\n' "$1"
    [[ $# -gt 1 ]] && printf '%s\n' "$2" | sed 's/^/  /'
}

report_checks() {
    echo "$1: $((checks - failures)) passed, $failures failed"
    ((failures == 0))
}
