#!/usr/bin/env bash
# A tab typed in the command-line value, or in a string of the query, is
# kept as typed: the value lands with its tabs, and the query finds the node
# whose text holds one.
"$BRINDLE" doc.xml '?/r/a' $'col1\tcol2\t\t3' /display:none
echo "exit $?"
"$BRINDLE" doc.xml $'?/r/a[.=\'col1\tcol2\t\t3\']' $'\tx' /display:none
echo "exit $?"
"$BRINDLE" doc.xml $'?/r/a[.=\'\tx\']' /get | od -An -c | tr -s ' '
echo "exit ${PIPESTATUS[0]}"
