# A resource file in UTF-16 with a byte order mark and CR LF line ends: a
# value with a character beyond the Basic Multilingual Plane, and an entry
# removed with its lines.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit Strings.de.resx changes.txt UTF-16
