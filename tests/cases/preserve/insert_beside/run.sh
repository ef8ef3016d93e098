# Nodes inserted beside others under /preserve: each new one on a line of
# its own, every byte around them as it was.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit AndroidManifest.xml changes.txt
