# 100,000 attributes set on one element, then some replaced, read and
# removed: each costs the same whatever the number before it. The limit on
# CPU time, which a loaded machine does not eat into, is a generous guard
# for a sanitizer build; walking the attribute list for each takes minutes.
count=100000
printf '<r/>\n' > doc.xml
{
  echo 'select root;'
  seq 0 "$((count - 1))" | sed 's/.*/set attribute a& "v";/'
  seq 0 2 "$((count - 1))" | sed 's/.*/set attribute a& "w";/'
  seq 1 2 "$((count - 1))" | sed 's/.*/get attribute a& x;/'
  seq 0 4 "$((count - 1))" | sed 's/.*/remove attribute a&;/'
  echo 'set attribute a0 "again"; add child text "read" x;'
} > changes.txt
(ulimit -t 50; exec "$BRINDLE" doc.xml changes.txt /batch /display:none)
echo "exit $?"
for value in v w; do grep -o -F "=\"$value\"" doc.xml | wc -l; done
grep -o -F ' a1="v" a2="w" a3="v" a5="v" a6="w"' doc.xml
grep -o ' a99999="v" a0="again"><read>v</read>' doc.xml
rm changes.txt doc.xml
