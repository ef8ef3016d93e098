# Encodings of every kind, each saved and then read back: the text comes
# back whole (characters the encoding lacks as character references).
source "$BRINDLE_CASE_HELPERS"
round_trip ISO-8859-2 windows-1252 latin1 Shift_JIS UTF-16 UTF-16LE UTF-16BE
