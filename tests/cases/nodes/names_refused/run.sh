# Each refused name stops its own run with an error that names the cause
# (not an XML name; a prefix nothing declares), a refused text in add node
# with "Invalid parameter type", each at the refused argument, exit code 6;
# the document is never saved.
. "$BRINDLE_CASE_HELPERS"
run() { run_description 5 "$@"; }
cp doc.xml original.xml
run 'select node "/r/a"; add element "1abc";'
run 'select root; add node "a b" "text";'
run 'select root; add child element "";'
run 'select root; add child text "q:x" "text";'
run 'select node "/r/a"; set attribute "1abc" "v";'
run 'select node "/r/a"; add attribute "q:k" "v";'
run 'select root; add root "a b";'
run $'select root; add node "ok" "bad \x01 text";'
rm original.xml changes.txt
