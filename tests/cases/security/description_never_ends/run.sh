# A description file that never ends (a device, an endless pipe) is refused
# once it passes 64 MB, instead of being read until the memory is gone.
printf '<r/>\n' > doc.xml
"$BRINDLE" doc.xml /dev/zero /batch
echo "device: exit $?"
"$BRINDLE" doc.xml <(yes 'select root;') /batch
