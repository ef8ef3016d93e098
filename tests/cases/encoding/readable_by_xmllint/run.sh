# What brindle saves in another encoding, xmllint reads as the same text.
if ! command -v xmllint > /dev/null; then
  echo "xmllint is not installed (apt-get install libxml2-utils)"
  exit 77
fi
for encoding in ISO-8859-2 windows-1252 latin1 Shift_JIS UTF-16 UTF-16LE UTF-16BE; do
  cp doc.xml saved.xml
  "$BRINDLE" saved.xml "/encoding:$encoding" /display:none
  echo "$encoding: saved $?"
  xmllint --xpath 'concat(/config/@label, "|", /config/name)' saved.xml
done
rm saved.xml
