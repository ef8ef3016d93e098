# Helpers for the cases of this folder; each run.sh starts with
#   source "$(dirname "$0")/../functions.sh"
# run changes the case's doc.xml; fails and briefly work on scratch
# documents of their own, so that doc.xml ends as run left it. The
# program's reports are read with their line ends made LF (report), as the
# Windows program ends its lines in CR LF.

# report FILE: the file's lines, CR LF read as LF.
report() { tr -d '\r' <"$1"; }

# run FILE [ARGS...]: applies the description file FILE (with ARGS as $3...)
# and prints the program's report without its banner, then the exit code.
run() {
  "$BRINDLE" doc.xml "$@" /batch >run.log 2>&1
  local code=$?
  report run.log | sed '1,/^$/d'
  echo "exit $code"
}

# fails STATEMENT: runs a description file of that one line on a document
# of its own and prints the error report without its rules and blank lines:
# the message, the system's text for a system error, the statement and the
# caret under the token that failed; then the exit code.
fails() {
  printf '<result/>\n' >fails.xml
  printf '%s\n' "$1" >fails.txt
  "$BRINDLE" fails.xml fails.txt /batch >fails.log 2>&1
  local code=$?
  report fails.log | sed -n '/^Stopped on error\./,$p' | grep -v -e '^-*$' -e '^Stopped on error\.$'
  echo "exit $code"
  echo
}

# briefly CALL: evaluates the function call CALL on a document of its own
# and prints one line: the call and its result in quotes, or the exit code
# and the error's text (the system's text for a system error, the script
# error's otherwise).
briefly() {
  printf '<result/>\n' >briefly.xml
  printf 'select root; set attribute value %s;\n' "$1" >briefly.txt
  "$BRINDLE" briefly.xml briefly.txt /batch /nodeclaration >briefly.log 2>&1
  local code=$?
  if [ "$code" = 0 ]; then
    printf '%s -> "%s"\n' "$1" "$(sed -n 's/^<result value="\(.*\)"\/>$/\1/p' briefly.xml)"
  else
    printf '%s -> exit %s: %s\n' "$1" "$code" "$(report briefly.log | sed -n '/^Stopped on error\./{n;n;p;q}')"
  fi
}
