# One 50,000-byte entity referenced 3,000 times: 150 MB of text from a
# 200 KB file.
{
  printf '<?xml version="1.0"?>\n<!DOCTYPE r [\n<!ENTITY big "'
  printf 'x%.0s' $(seq 50000)
  printf '">\n]>\n<r>'
  printf '&big;%.0s' $(seq 3000)
  printf '</r>\n'
} > doc.xml
cp doc.xml before.xml
"$BRINDLE" doc.xml
echo "exit $?"
cmp -s doc.xml before.xml && echo "document unchanged"
