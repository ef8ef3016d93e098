# The document properties: every name with a good value, bad values, an
# unknown name, and the limits that apply to a later load.
. "$BRINDLE_CASE_HELPERS"
run() { run_description 8 "$@"; }
run 'set property "SelectionLanguage" "XPath";' \
    'set property "SelectionNamespaces" "xmlns:p='"'urn:p'"'";' \
    'set property "ProhibitDTD" "TRUE";' 'set property "ProhibitDTD" "0";' \
    'set property "MaxElementDepth" "+4";' 'set property "MaxXMLSize" "1024";' \
    'load "deep.xml";' 'load "dtd.xml";' 'select root;' 'get node v;' \
    'load "doc.xml";' 'select node "/r/a";' 'set node v;'
cat doc.xml; echo
run 'set property "ProhibitDTD" "maybe";'
run 'set property "MaxElementDepth" "3x";'
run 'set property "MaxXMLSize" "";'
run 'set property "SelectionLanguage" "XSLPattern";'
run 'set property "SelectionNamespaces" "xmlns:p=urn:p";'
run 'set property "selectionlanguage" "XPath";'
run 'set property "ServerHTTPRequest" "true";'
run 'set property "MaxElementDepth" "2";' 'load "doc.xml";' 'load "deep.xml";'
run 'set property "ProhibitDTD" "true";' 'load "dtd.xml";'
run 'set property "MaxXMLSize" "-1";'
rm changes.txt
