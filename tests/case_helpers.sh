# Functions for the run.sh of a case; the runner names this file in
# $BRINDLE_CASE_HELPERS, and a script that wants them sources it.

# run_description FIRST_LINE STATEMENT...: writes the statements, one per
# line, as changes.txt, runs brindle on doc.xml with it, and shows the
# output from line FIRST_LINE on (past the banner and the load), the exit
# code, and "document unchanged" when doc.xml still equals original.xml.
run_description() {
  local first_line=$1
  shift
  printf '%s\n' "$@" > changes.txt
  "$BRINDLE" doc.xml changes.txt /batch | tail -n "+$first_line"
  echo "exit ${PIPESTATUS[0]}"
  if [[ -f original.xml ]] && cmp -s doc.xml original.xml; then echo "document unchanged"; fi
}
