# A price list in ISO-8859-1 whose lines end in LF and CR LF by turns: the
# line ends stay as they were, the euro sign becomes a reference in an
# attribute value, a removed attribute takes its blank, a removed element
# its lines, and an empty-element tag is opened up for a new child.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit menu.xml changes.txt ISO-8859-1
