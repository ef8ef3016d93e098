# XInclude elements are ordinary elements: nothing they name is read.
printf 'select root; get node all; set attribute read "[" + all + "]";\n' > changes.txt
"$BRINDLE" doc.xml changes.txt /batch /display:none
code=$?
cat doc.xml
exit $code
