# /dev/stdin as the document and as the file of a load command: a document
# piped in is read; an empty standard input is an error, not a wait.
printf '<r/>\n' > doc.xml
printf '<piped/>\n' | "$BRINDLE" /dev/stdin /output:document.xml /display:none
echo "document: exit $?"
cat document.xml
printf 'load "/dev/stdin"; select root; set attribute loaded "yes";\n' > changes.txt
printf '<piped><x/></piped>\n' | "$BRINDLE" doc.xml changes.txt /batch /output:loaded.xml /display:none
echo "load: exit $?"
cat loaded.xml
"$BRINDLE" doc.xml changes.txt /batch < /dev/null
