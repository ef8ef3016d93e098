# An external DTD is never read: its default attributes are not applied,
# and a reference to an entity that only it declares is an error.
printf '<!ATTLIST r leak CDATA "SECRET-MARKER">\n<!ENTITY e "SECRET-MARKER">\n' > ext.dtd
printf '<?xml version="1.0"?>\n<!DOCTYPE r SYSTEM "ext.dtd">\n<r/>\n' > defaults.xml
printf '<?xml version="1.0"?>\n<!DOCTYPE r SYSTEM "ext.dtd">\n<r>&e;</r>\n' > entity.xml
"$BRINDLE" defaults.xml /display:none
echo "defaults.xml: exit $?"
cat defaults.xml
"$BRINDLE" entity.xml
