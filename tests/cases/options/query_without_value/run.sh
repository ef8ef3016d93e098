#!/usr/bin/env bash
# A query whose value was forgotten (or came from an unquoted shell variable
# that was empty) is refused before the document is opened: the error (on
# standard error) after the usage, exit 1, the document untouched. An explicit "" still empties
# the node.
cp pom.xml original.xml
unset EMPTY
"$BRINDLE" pom.xml '?/project/dependencyManagement' /display:none
echo "exit $?"
"$BRINDLE" pom.xml '?/project/dependencyManagement' $EMPTY 2>&1 >/dev/null | tail -n 2
echo "exit ${PIPESTATUS[0]}"
"$BRINDLE" pom.xml '?//dependency' /all 2>&1 >/dev/null | tail -n 2
echo "exit ${PIPESTATUS[0]}"
cmp -s pom.xml original.xml && echo "document unchanged"
"$BRINDLE" pom.xml '?/project/dependencyManagement' "" /display:none
echo "exit $?"
cat pom.xml
rm original.xml
