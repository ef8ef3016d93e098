# An Atom feed with blank lines between its entries and a CDATA section:
# a date set and a new entry added, its text escaped.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit releases.atom changes.txt
