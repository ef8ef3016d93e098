# Encodings of every kind, each saved and then read back: the text comes
# back whole (characters the encoding lacks as character references).
"$BRINDLE" doc.xml /output:expected.xml /display:none
for encoding in ISO-8859-2 windows-1252 latin1 Shift_JIS UTF-16 UTF-16LE UTF-16BE UCS-4 IBM037; do
  cp doc.xml saved.xml
  "$BRINDLE" saved.xml "/encoding:$encoding" /display:none
  saved=$?
  "$BRINDLE" saved.xml /output:back.xml /display:none
  echo "$encoding: saved $saved, read back $?"
  cmp -s back.xml expected.xml || echo "$encoding: the text changed"
done
rm saved.xml back.xml expected.xml
