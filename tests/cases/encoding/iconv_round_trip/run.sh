# Encodings that Linux's converters (iconv) have and Windows' code-page
# converters lack (UCS-4) or Wine lacks (EBCDIC), saved and read back.
source "$BRINDLE_CASE_HELPERS"
round_trip UCS-4 IBM037
