# 20,000 children of 500,000 visited by position, one after the other,
# backward from the last and forward from the middle: each visit costs the
# distance from the child visited before, not from the first child. The
# limit on CPU time, which a loaded machine does not eat into, is a generous
# guard for a sanitizer build; walking from the first child every time
# takes minutes.
count=500000
visits=10000
{
  printf '<r>'
  head -c "$((4 * (count - 1)))" /dev/zero | sed 's|\x0\x0\x0\x0|<c/>|g'
  printf '<c>last</c></r>\n'
} > doc.xml
{
  echo 'select root;'
  seq "$((count - 1))" -1 "$((count - visits))" | sed 's/.*/select child &; select parent;/'
  seq "$((count / 2))" "$((count / 2 + visits))" | sed 's/.*/get child & v;/'
  echo "get child $((count - 1)) v; add child text \"got\" v;"
  echo "select child $((count / 2)); set node \"middle\"; select previous; set node \"before\";"
} > changes.txt
(ulimit -t 20; exec "$BRINDLE" doc.xml changes.txt /batch /display:none)
echo "exit $?"
grep -o -F '<c/>' doc.xml | wc -l
grep -o '<[a-z]*>[a-z]*</[a-z]*>' doc.xml
rm changes.txt doc.xml
