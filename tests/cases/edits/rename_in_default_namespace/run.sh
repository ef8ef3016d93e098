#!/usr/bin/env bash
# Renamed elements keep the default namespace, as xmlstarlet's rename (-r)
# keeps it; a query in that namespace finds them after the save.
source "$BRINDLE_CASE_HELPERS"
require_xmlstarlet
cp pom.xml peer.xml
"$BRINDLE" pom.xml rename.txt /batch /display:none
echo "exit $?"
"$BRINDLE" pom.xml '?/_:project/_:properties/_:maven.version' /get
xmlstarlet ed -N p=http://maven.apache.org/POM/4.0.0 \
  -r /p:project/p:prerequisites -v properties \
  -r /p:project/p:properties/p:maven -v maven.version peer.xml > peer-out.xml
same_as_peer pom.xml peer-out.xml
