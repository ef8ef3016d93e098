# An XHTML page: mixed content, character references and "<br />" stay as
# written around a new list item, a removed paragraph and a new attribute.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit hours.xhtml changes.txt
