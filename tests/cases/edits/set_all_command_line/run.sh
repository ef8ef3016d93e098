#!/usr/bin/env bash
# /all sets every node the query selects (attributes here), as xmlstarlet's
# update (-u) does; without /all only the first one changes.
source "$BRINDLE_CASE_HELPERS"
require_xmlstarlet
cp app.config peer.config
cp app.config first.config
"$BRINDLE" app.config '?//connectionStrings/add/@connectionString' 'Server=db2;Database=main' /all /display:none
echo "exit ${PIPESTATUS[0]}"
xmlstarlet ed -u '//connectionStrings/add/@connectionString' -v 'Server=db2;Database=main' peer.config > peer-out.config
same_as_peer app.config peer-out.config
"$BRINDLE" first.config '?//connectionStrings/add/@connectionString' 'Server=db2' /display:none
"$BRINDLE" first.config '?//@connectionString' /get /all
"$BRINDLE" app.config "?//add[@name='Nothing']/@value" x /all 2>&1 >/dev/null | grep -A1 ERROR
echo "exit ${PIPESTATUS[0]}"
