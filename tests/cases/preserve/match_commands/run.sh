# set nodes and remove nodes under /preserve: the same bytes change as with
# one set node or remove node per match.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit prices.xml changes.txt
