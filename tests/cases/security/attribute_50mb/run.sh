# An attribute value of 50 MB loads whole (not cut at the parser's usual
# limit), survives a change to its element and is saved whole.
value() { head -c 52428800 /dev/zero | tr '\0' v; }
{ printf '<r a="'; value; printf '"/>\n'; } > doc.xml
printf 'select root; set attribute b "small";\n' > changes.txt
"$BRINDLE" doc.xml changes.txt /batch /display:none
code=$?
echo "exit $code"
{ printf '<?xml version="1.0" encoding="utf-8"?>\n<r a="'; value; printf '" b="small"/>\n'; } > expected.xml
cmp -s doc.xml expected.xml && echo "saved whole"
exit $code
