# Commands that free the current node (or one of its ancestors) leave no
# current node or a living one; the next command never reads freed memory.
. "$BRINDLE_CASE_HELPERS"
run() { run_description 8 "$@"; }
cp doc.xml original.xml
run 'select node "/r/b/y";' 'set child "/r/b" "flat";' 'get node v;'
run 'select node "/r/b/y/text()";' 'set child "ancestor::r" "flat";' 'select parent;'
run 'select node "/r/a/@k";' 'select root;' 'remove child "a";' 'get node v;' 'select child "a";' 'get attribute k v;'
run 'select root;' 'remove child ".";'
run 'select root;' 'remove child "a/x";'
run 'select node "/r/a/x";' 'clear;' 'select root;' 'get node v;'
run 'select node "/r/a/x";' 'load "doc.xml";' 'select parent;' 'get node v;'
run 'select node "/r/b";' 'add root n;' 'select parent;' 'select child 1;' 'get node v;'
run 'select node "/r/b/y";' 'remove node;' 'remove node;' 'remove node;' 'remove node;'
rm original.xml changes.txt
