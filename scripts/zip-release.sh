#!/bin/bash
# Writes the release zip ZIP of FILES, in the order given, and ZIP.sha256 beside it in
# sha256sum's format. The programs go in as they are. Every other file is a text, and goes
# in as a .txt (README.md as README.txt, LICENSE as LICENSE.txt) with CR LF line ends, so
# that a double-click opens it in Notepad, which before Windows 10 shows LF text as one
# line. The zip is the same byte for byte from every build of the same files: every
# entry has the same date (1 January 1980, the earliest a zip holds), the same
# permissions and no extra fields with owners or further times.
# Usage: zip-release.sh ZIP FILE...
set -euo pipefail
zip=$1
shift
stage=$zip.files
rm -rf "$stage" "$zip" "$zip.sha256"
mkdir "$stage"
trap 'rm -rf "$stage"' EXIT

names=()
for file; do
    name=$(basename "$file")
    if [[ $name == *.exe ]]; then
        cp "$file" "$stage/"
    else
        name=${name%.md}.txt
        sed 's/\r*$/\r/' "$file" >"$stage/$name"
    fi
    names+=("$name")
done
cd "$stage"
chmod 644 "${names[@]}"
export TZ=UTC
touch -d '1980-01-01 00:00:00' "${names[@]}"
zip -X -q "$zip" "${names[@]}"

cd "$(dirname "$zip")"
sha256sum "$(basename "$zip")" >"$zip.sha256"
