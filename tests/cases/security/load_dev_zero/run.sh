# /dev/zero never ends: as the document and as the file of a load command
# it fails at once instead of being read into memory forever.
printf '<r/>\n' > doc.xml
"$BRINDLE" /dev/zero
echo "document: exit $?"
printf 'load "/dev/zero";\n' > changes.txt
"$BRINDLE" doc.xml changes.txt /batch
