# A document with the read-only attribute (Wine shows a file without write
# permission so, even to root): saving fails with "Access is denied", exit
# 8, and the file is left as it was, with no temporary file beside it.
chmod 444 doc.xml
"$BRINDLE" doc.xml /indent
echo "exit $?"
chmod 644 doc.xml
