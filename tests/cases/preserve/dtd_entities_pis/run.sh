# A build file with a document type of its own (entities, an attribute
# list), processing instructions, single quotes, "<a></a>" and no line end
# at the end: entity references stay references, an empty element opens up
# for a child, a processing instruction changes its data.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit build.xml changes.txt
