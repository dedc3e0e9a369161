#!/bin/bash
# Two clean release builds of the same sources, in different folders and one after the
# other, give the same bytes: both executables and the release zip with its checksum and
# its buildinfo.
# Usage: reproducible_test.sh SOURCE_DIR VERSION
set -euo pipefail
source_dir=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for copy in one second/copy; do
    mkdir -p "$work/$copy"
    # Every file of a copy is dated when the copy is made (tar -m).
    tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/$copy" -xmf -
    (cd "$work/$copy" && cmake --workflow --preset release >"$work/build.log" 2>&1) ||
        { cat "$work/build.log" >&2; exit 1; }
    sleep 2 # a zip dates its entries to 2 s: the second copy's files are later by one step
done

zip=timerhold-$version-win64.zip
buildinfo=timerhold-$version-win64.buildinfo
for file in timerhold.exe timercheck.exe "$zip" "$zip.sha256" "$buildinfo"; do
    cmp "$work/one/build/windows/$file" "$work/second/copy/build/windows/$file" ||
        fail "builds differ in $file"
    ! grep -qaF "$work" "$work/one/build/windows/$file" || fail "build path in $file"
done

# The zip holds the four files, each dated 1980 or later, and its checksum is right.
cd "$work/one/build/windows"
[[ $(unzip -Z1 "$zip" | tr '\n' ' ') == "timerhold.exe timercheck.exe README.txt LICENSE.txt " ]] ||
    fail "the zip holds $(unzip -Z1 "$zip" | tr '\n' ' ')"
unzip -Z -T "$zip" | awk '$1 ~ /^-/ && $7 < 19800101 { bad = 1 } END { exit bad }' ||
    fail "entries dated before 1980: $(unzip -Z -T "$zip")"
sha256sum --check --quiet "$zip.sha256" || fail "checksum does not match"
unzip -q "$zip" -d unpacked
for file in timerhold.exe timercheck.exe; do
    cmp "$file" "unpacked/$file" || fail "$file in the zip is not the one built"
done
# The texts with CR LF line ends: the guide as README.txt, the licence as LICENSE.txt.
cmp <(sed 's/$/\r/' "$source_dir/README.md") unpacked/README.txt ||
    fail "README.txt in the zip is not README.md with CR LF line ends"
cmp <(sed 's/$/\r/' "$source_dir/LICENSE") unpacked/LICENSE.txt ||
    fail "LICENSE.txt in the zip is not LICENSE with CR LF line ends"

# The buildinfo names the Debian release, each package that shapes the bytes with its
# version, and the zip's SHA-256.
grep -qx "Debian: $(cat /etc/debian_version)" "$buildinfo" ||
    fail "no Debian release in $buildinfo"
for package in g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32-runtime \
               binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev mingw-w64-common zip; do
    grep -qx " $package (= $(dpkg-query -W -f='${Version}' "$package"))" "$buildinfo" ||
        fail "$buildinfo lacks $package with its version"
done
grep -qx "SHA-256: $(cut -d' ' -f1 "$zip.sha256")" "$buildinfo" ||
    fail "$buildinfo lacks the zip's SHA-256"
