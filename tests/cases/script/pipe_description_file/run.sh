# A description file that can be read only once: the run and its listing work.
printf '<a/>' > doc.xml
"$BRINDLE" doc.xml <(printf 'select root;\nset node "piped";\nvar x = "open;\n') /batch | sed "s|/dev/fd/[0-9]*|{pipe}|"
echo "exit ${PIPESTATUS[0]}"
