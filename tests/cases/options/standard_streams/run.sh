#!/usr/bin/env bash
# "-" as the document reads it from standard input and writes it, alone,
# to standard output: every message, and what print writes, goes to
# standard error, and no lock or temporary file is made. "/output -"
# writes to standard output; a description file "-" is read from standard
# input; both the document and the description file from there are refused.
printf '<r><a>1</a></r>\n' > doc.xml
echo "== a document through pipes"
cat doc.xml | "$BRINDLE" - '?/r/a' 2 2>errors.txt | cat
echo "exit ${PIPESTATUS[1]}"
sed 1,4d errors.txt
echo "== a script through pipes"
printf 'select node "/r/a"; set node "3"; print "printed";\n' > changes.txt
cat doc.xml | "$BRINDLE" - changes.txt /batch /indent 2>errors.txt | cat
echo "exit ${PIPESTATUS[1]}"
sed 1,6d errors.txt
echo "== files redirected"
"$BRINDLE" - '?/r/a' 4 < doc.xml > out.xml 2>/dev/null
echo "exit $?"
cat out.xml
echo "== /output -"
"$BRINDLE" doc.xml '?/r/a' 5 /output - 2>/dev/null
echo "exit $?"
echo "== a description file from standard input"
"$BRINDLE" doc.xml - /batch /output:new.xml < changes.txt | tail -n +5
echo "exit ${PIPESTATUS[0]}"
cat new.xml
echo "== both from standard input"
"$BRINDLE" - - /batch < doc.xml 2>&1 >/dev/null
echo "exit $?"
cat doc.xml
rm errors.txt changes.txt out.xml new.xml
