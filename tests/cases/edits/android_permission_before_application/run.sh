#!/usr/bin/env bash
# Android permissions are inserted before <application>, as xmlstarlet's
# insert (-i) does.
source "$BRINDLE_CASE_HELPERS"
require_xmlstarlet
cp AndroidManifest.xml peer.xml
"$BRINDLE" AndroidManifest.xml permissions.txt /batch /display:none /indent
echo "exit $?"
xmlstarlet ed \
  -i /manifest/application -t elem -n uses-permission -v '' \
  -i '/manifest/uses-permission[last()]' -t attr -n android:name -v android.permission.CAMERA \
  -i /manifest/application -t elem -n uses-permission -v '' \
  -i '/manifest/uses-permission[last()]' -t attr -n android:name \
  -v android.permission.POST_NOTIFICATIONS peer.xml > peer-out.xml
same_as_peer AndroidManifest.xml peer-out.xml
