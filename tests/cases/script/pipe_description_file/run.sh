# A description file may be a pipe, which can be read only once: when it
# fails, the error listing still shows the failing lines and the document
# stays as it was; when it succeeds, the document is saved.
printf '<r/>\n' > doc.xml
"$BRINDLE" doc.xml <(printf 'select root;\nadd element x;\n  selct node "/r";\n') /batch 2>&1 |
  sed "s|/dev/fd/[0-9]*|{pipe}|"
echo "exit ${PIPESTATUS[0]}"
cat doc.xml
"$BRINDLE" doc.xml <(printf 'select root;\nset attribute piped "yes";\n') /batch /display:none
echo "exit $?"
cat doc.xml
