# Moved subtrees under /preserve: the places they left and reached change,
# the rest of the document keeps its bytes.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit catalog.xml changes.txt
