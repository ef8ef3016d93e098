#!/usr/bin/env bash
# A GPX track of 160 points, each with a heart-rate extension: every
# extension block goes, the positions and times stay.
source "$BRINDLE_CASE_HELPERS"
require_xmlstarlet
{
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo '<gpx version="1.1" creator="watch" xmlns="http://www.topografix.com/GPX/1/1"'
  echo '     xmlns:gpxtpx="http://www.garmin.com/xmlschemas/TrackPointExtension/v1">'
  echo '  <trk><name>Morning run</name><trkseg>'
  for i in $(seq 160); do
    printf '    <trkpt lat="52.%04d" lon="4.%04d"><ele>%d</ele><time>2026-05-01T07:%02d:%02dZ</time>' \
      "$i" "$i" $((i % 7)) $((i / 60)) $((i % 60))
    printf '<extensions><gpxtpx:TrackPointExtension><gpxtpx:hr>%d</gpxtpx:hr>' $((120 + i % 40))
    printf '</gpxtpx:TrackPointExtension></extensions></trkpt>\n'
  done
  echo '  </trkseg></trk>'
  echo '</gpx>'
} > track.gpx
cp track.gpx peer.gpx
printf 'select root;\nremove nodes "//_:trkpt/_:extensions";\n' > strip.txt
"$BRINDLE" track.gpx strip.txt /batch /display:none
echo "exit $?"
echo "points: $(grep -o '<trkpt ' track.gpx | wc -l), heart rates: $(grep -c 'hr>' track.gpx)"
xmlstarlet ed -N g=http://www.topografix.com/GPX/1/1 -d '//g:trkpt/g:extensions' peer.gpx > peer-out.gpx
same_as_peer track.gpx peer-out.gpx
