# A GPX track of one point a line, without a line end at the end of the
# file: a point removed with its line, a value set inside a line, and a new
# point laid out on one line like the others.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit loop.gpx changes.txt
