# A .NET project file: a byte order mark, CR LF line ends, a condition in
# quotes of both kinds. A version set, an attribute changed, a package added.
source "$BRINDLE_CASE_HELPERS"
preserve_round_trip_and_edit Shop.Cli.csproj changes.txt
