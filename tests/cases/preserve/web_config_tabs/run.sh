# A web.config indented with tabs: attribute values set, added and
# removed, and a setting removed with its line.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit Web.config changes.txt
