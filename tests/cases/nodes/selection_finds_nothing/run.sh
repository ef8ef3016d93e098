# Selections that find nothing succeed and leave no current node, so the
# next command fails with "System error" on its own line; expressions that
# do not give a node set fail at the selection. Nothing is ever saved.
. "$BRINDLE_CASE_HELPERS"
run() { run_description 8 "$@"; }
cp doc.xml original.xml
run 'select node "/r/missing";' 'get node v;'
run 'select root;' 'select child 0;' 'select previous;' 'get node v;'
run 'select root;' 'select child 3;' 'select next;' 'get node v;'
run 'select root;' 'select child 9;' 'get node v;'
run 'select root;' 'select parent;' 'get node v;' 'select parent;' 'get node v;'
run 'select node "/r/a/@id";' 'get node v;' 'select parent;' 'get node v;'
run 'select node "/r/a/@id";' 'remove node;'
run 'select node "/r/namespace::*";' 'get node v;'
run 'select node "count(//a)";'
run 'select root;' 'select child "1 + 1";' 'get node v;'
run 'select root;' 'select child "a[";'
rm original.xml changes.txt
