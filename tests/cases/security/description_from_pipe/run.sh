# A description file may be a pipe, which can be read only once: it runs,
# and when it fails the error listing still shows the failing lines.
printf '<r/>\n' > doc.xml
"$BRINDLE" doc.xml <(printf 'select root;\nset attribute piped "yes";\n') /batch /display:none
echo "exit $?"
cat doc.xml
"$BRINDLE" doc.xml <(printf 'select root;\nadd element x;\n  selct node "/r";\n') /batch
code=$?
cat doc.xml
exit $code
