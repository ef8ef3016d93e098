# A string built by 100,000 appends of 100 characters: each statement costs
# the characters it appends, not the length of the string so far. The
# limit on CPU time, which a loaded machine does not eat into, is a
# generous guard for a sanitizer build; copying the string for each
# statement takes minutes.
printf '<r/>\n' > doc.xml
{
  echo 'var s = "";'
  chunk=$(printf '0123456789%.0s' $(seq 10))
  seq 100000 | sed "s/.*/var s = s + \"$chunk\";/"
  echo 'var t = s; var s = s + "!"; var u = t + "?";'
  echo 'select root; add child text "s" s; add child text "t" t; add child text "u" u;'
} > changes.txt
(ulimit -t 60; exec "$BRINDLE" doc.xml changes.txt /batch /display:none)
echo "exit $?"
# Three texts of ten million characters, one with "!" and one with "?".
wc -c < doc.xml
tr -d '0-9' < doc.xml
rm changes.txt doc.xml
