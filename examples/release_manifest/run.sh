# Writes the SHA-1, size and build time of a build artefact into a release
# manifest. The artefact is made here with a fixed content and a fixed
# time, so the manifest comes out the same on every run.
# Its content stands in for the archive a real build would make.
mkdir -p dist
artefact=dist/shop-service-2.4.0.tar.gz
for i in $(seq 1 120); do echo "shop-service 2.4.0 build output, line $i"; done >"$artefact"
touch -d '2026-03-14 09:26:53 UTC' "$artefact"
"$BRINDLE" release.xml record-artefact.txt "$artefact" /batch /indent
