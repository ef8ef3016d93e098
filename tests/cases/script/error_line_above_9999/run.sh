# The line number widens the listing's prefix; the caret moves with it.
printf '<a/>' > doc.xml
for i in $(seq 12344); do echo; done > changes.txt
printf '  bogus;\n' >> changes.txt
"$BRINDLE" doc.xml changes.txt /batch
echo "exit $?"
rm changes.txt
