# A document nested 100,000 deep loads, is searched, changed, read and
# saved, and the result loads again with indentation: no walk over the tree
# may recurse once per level.
depth=100000
open() { yes '<d>' | head -n "$depth" | tr -d '\n'; }
close() { yes '</d>' | head -n "$depth" | tr -d '\n'; }
{ printf '<?xml version="1.0"?>\n'; open; printf 'x'; close; printf '\n'; } > doc.xml
cat > changes.txt <<'SCRIPT'
select node "//d[not(d)]";
set attribute deepest "yes";
select root;
get node all;
set attribute text all;
SCRIPT
"$BRINDLE" doc.xml changes.txt /batch /display:none
echo "exit $?"
{
  printf '<?xml version="1.0" encoding="utf-8"?>\n<d text="x">'
  depth=$((depth - 2)) open
  printf '<d deepest="yes">x</d>'
  depth=$((depth - 2)) close
  printf '</d>\n'
} > expected.xml
cmp -s doc.xml expected.xml && echo "saved as expected"
"$BRINDLE" doc.xml /indent /output:indented.xml /display:none
code=$?
echo "indented: exit $code"
exit $code
