# A Maven POM: a version set, a dependency added, settings removed.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit pom.xml changes.txt
