# Renamed elements and attributes under /preserve: only their own tags change.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit app.config changes.txt
