# Encodings the converters write but the parser cannot read back are
# refused before anything is written, with or without a declaration, and
# whether the target exists or not.
cp doc.xml original.xml
for encoding in UTF-32 UTF-32LE UTF-7 HZ-GB-2312 HTML; do
  "$BRINDLE" doc.xml "/encoding:$encoding" /display:none
  echo "$encoding: exit $?"
  "$BRINDLE" doc.xml "/encoding:$encoding" /nodeclaration /output:new.xml /display:none
  echo "$encoding without declaration, new file: exit $?"
done
cmp -s doc.xml original.xml && echo "document unchanged"
rm original.xml
