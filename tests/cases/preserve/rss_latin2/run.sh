# An RSS feed in ISO-8859-2, indented by one blank: it stays in its
# encoding, and the euro sign that Latin-2 lacks becomes a reference.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit feed.rss changes.txt ISO-8859-2
