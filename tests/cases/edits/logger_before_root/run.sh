#!/usr/bin/env bash
# A log4j2 logger goes before Root, where loggers are read first, as
# xmlstarlet's insert (-i) puts it.
source "$BRINDLE_CASE_HELPERS"
require_xmlstarlet
cp log4j2.xml peer.xml
"$BRINDLE" log4j2.xml debug-logger.txt /batch /display:none /indent
echo "exit $?"
xmlstarlet ed \
  -i /Configuration/Loggers/Root -t elem -n Logger -v '' \
  -s /Configuration/Loggers/Logger -t attr -n name -v com.example.billing \
  -s /Configuration/Loggers/Logger -t attr -n level -v debug \
  -s /Configuration/Loggers/Logger -t elem -n AppenderRef -v '' \
  -s /Configuration/Loggers/Logger/AppenderRef -t attr -n ref -v Console peer.xml > peer-out.xml
same_as_peer log4j2.xml peer-out.xml
