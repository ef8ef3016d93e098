# Names of a megabyte: an element name in a document, element and
# attribute names and an XPath query in a description file, and an entity
# name in a parse error, whose report is cut to a readable line.
name=$(head -c 1048576 /dev/zero | tr '\0' n)
printf '<%s/>\n' "$name" > doc.xml
"$BRINDLE" doc.xml /display:none
echo "long element name: exit $?"
{ printf '<?xml version="1.0" encoding="utf-8"?>\n<%s/>\n' "$name"; } > expected.xml
cmp -s doc.xml expected.xml && echo "document saved whole"

printf '<r/>\n' > small.xml
printf 'select root; add element %s; add attribute %s "v"; select node "/r/%s"; set node "found";\n' \
  "$name" "$name" "$name" > changes.txt
"$BRINDLE" small.xml changes.txt /batch /display:none
echo "long names in a description file: exit $?"
{ printf '<?xml version="1.0" encoding="utf-8"?>\n<r><%s %s="v">found</%s></r>\n' "$name" "$name" "$name"; } > expected.xml
cmp -s small.xml expected.xml && echo "changed document saved whole"

printf '<r>&%s;</r>\n' "$name" > entity.xml
"$BRINDLE" entity.xml > report.txt
code=$?
tail -n 2 report.txt
[ "$(wc -L < report.txt)" -le 255 ] && echo "every report line is short"
exit $code
