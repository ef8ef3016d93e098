# An SVG image: a document type with a public identifier, start tags over
# several lines, values in single quotes. Text and an attribute set, an
# element removed and one added.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit badge.svg changes.txt
