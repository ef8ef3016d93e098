# Twenty thousand entity declarations, each referencing the one declared
# before it, then the same number each referencing the one declared after
# it: the guard measures every declaration in time that does not grow with
# the number before it. The limits on CPU time, which a loaded machine does
# not eat into, are generous guards for a sanitizer build; a guard that
# measures the whole chain again for each declaration takes minutes.
count=20000
{
  printf '<!DOCTYPE r [\n<!ENTITY e0 "x">\n'
  seq "$count" | awk '{ printf "<!ENTITY e%d \"&e%d;\">\n", $1, $1 - 1 }'
  printf ']>\n<r>&e12;</r>\n'
} > backward.xml
(ulimit -t 20; exec "$BRINDLE" backward.xml /display:none)
echo "declared before use: exit $?"
{
  printf '<!DOCTYPE r [\n'
  seq 0 "$((count - 1))" | awk '{ printf "<!ENTITY e%d \"&e%d;\">\n", $1, $1 + 1 }'
  printf '<!ENTITY e%d "x">\n]>\n<r>&e%d;</r>\n' "$count" "$((count - 12))"
} > forward.xml
(ulimit -t 20; exec "$BRINDLE" forward.xml /display:none)
echo "declared after use: exit $?"
# Thirty levels of doubling declared top down: each level is measured
# before the one below it exists, and the whole still counts when the
# bottom is declared last.
{
  printf '<!DOCTYPE r [\n<!ENTITY top "&e0;&e0;">\n'
  seq 0 29 | awk '{ printf "<!ENTITY e%d \"&e%d;&e%d;\">\n", $1, $1 + 1, $1 + 1 }'
  printf '<!ENTITY e30 "x">\n]>\n<r>&top;</r>\n'
} > doublings.xml
"$BRINDLE" doublings.xml 2>&1 | grep -A 1 "^ERROR"
echo "thirty doublings: exit ${PIPESTATUS[0]}"
rm backward.xml forward.xml doublings.xml
