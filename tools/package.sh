#!/bin/bash
# Builds the Debian package of combo with cpack and tests it without
# installing anything on this machine: Debian's own checks (lintian), its
# name and fields, the files it holds, the hardening of its programs, and
# the programs it installs, unpacked into a scratch root and run on the
# worked example and on the atlas.
#
# Usage: tools/package.sh   (from anywhere; builds in build/)
# Needs dpkg-dev (dpkg-shlibdeps, dpkg-parsechangelog, and readelf through
# binutils) and lintian besides cmake, make and g++.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/lib.sh
. tools/lib.sh
build="build"
command -v dpkg-shlibdeps >/dev/null ||
  fail "dpkg-shlibdeps not found; install dpkg-dev"
command -v lintian >/dev/null || fail "lintian not found; install lintian"

step configure
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
step build
cmake --build "$build" --parallel "$(job_count)"
version=$(package_version "$build")
deb="$build/combo_${version}_$(dpkg --print-architecture).deb"
step cpack
rm -f "$build"/combo_*.deb
(cd "$build" && cpack -G DEB)
[ -f "$deb" ] || fail "cpack did not make $deb:" "$build"/*.deb

# Debian's own checks: any error or warning fails. (Its info tags are
# shown too; the hardening ones are checked below.)
step lintian
lintian --display-info --display-experimental --pedantic --fail-on error,warning \
  "$deb" 2> >(grep -v 'running with root privileges' >&2) ||
  fail "lintian found errors or warnings in $deb"

# The fields that apt acts on, and the maintainer: the project's authors.
step fields
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = combo ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = utils ] || fail "Section: $(field Section)"
[ "$(field Recommends)" = "luit | x11-utils, xfonts-encodings" ] ||
  fail "Recommends: $(field Recommends)"
# (Without the history, in an unpacked tarball, the authors are not known.)
if authors=$(git log --format='%an <%ae>' 2>/dev/null); then
  grep -qxF -- "$(field Maintainer)" <<<"$authors" ||
    fail "Maintainer: $(field Maintainer); the project's authors:" \
      "$(sort -u <<<"$authors")"
fi

# Exactly these files, under /usr.
step files
want="./usr/bin/combo
./usr/bin/combo-atlas
./usr/share/doc/combo/README.md
./usr/share/doc/combo/changelog.gz
./usr/share/doc/combo/copyright
./usr/share/man/man1/combo-atlas.1.gz
./usr/share/man/man1/combo.1.gz"
got=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
[ "$got" = "$want" ] || fail "files in the package:" $'\n'"$got"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
doc=$root/usr/share/doc/combo

# The texts are the sources', and the changelog's latest entry is this
# version.
for page in combo combo-atlas; do
  gzip -dc "$root/usr/share/man/man1/$page.1.gz" | cmp -s - "doc/$page.1" ||
    fail "$page.1.gz is not doc/$page.1"
done
gzip -dc "$doc/changelog.gz" | cmp -s - doc/changelog ||
  fail "changelog.gz is not doc/changelog"
latest=$(dpkg-parsechangelog -l doc/changelog -S Version)
[ "$latest" = "$version" ] ||
  fail "the changelog's latest entry is $latest, the package $version"
grep -qx 'License: Expat' "$doc/copyright" || fail "copyright names no licence"

# Hardened as Debian's own programs, and stripped: position-independent,
# relocations read-only after start (RELRO, BIND_NOW), stack protector,
# fortified libc calls, no symbol table and no .comment.
for program in combo combo-atlas; do
  file=$root/usr/bin/$program
  headers=$(readelf -W --file-header --program-headers --dynamic \
    --section-headers --dyn-syms "$file")
  for want in 'Type: *DYN' 'GNU_RELRO' '(FLAGS_1) *Flags:.* PIE' \
    '(FLAGS_1) *Flags:.* NOW' 'UND __stack_chk_fail' 'UND __[a-z]*_chk@'; do
    grep -q -- "$want" <<<"$headers" ||
      fail "$program is not hardened: no match for '$want' in readelf"
  done
  for unwanted in ' \.symtab ' ' \.comment '; do
    if grep -q -- "$unwanted" <<<"$headers"; then
      fail "$program still has the section${unwanted% }"
    fi
  done
done

step depends
# Depends names the package of every shared library the programs load.
depends=$(field Depends)
for program in combo combo-atlas; do
  for lib in $(readelf -d "$root/usr/bin/$program" |
    sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    owner=$(dpkg -S "*/$lib" | sed -n '1s/[:,].*//p')
    case ", $depends" in
      *", $owner "* | *", $owner,"* | *", $owner") ;;
      *) fail "$program needs $lib from $owner; Depends: $depends" ;;
    esac
  done
done

# The installed programs at work.
step "the unpacked programs"
sh tests/run_transcript.sh tests/transcripts/worked-example 0 \
  "$root/usr/bin/combo" || fail "the installed combo failed"
sh tests/atlas/run_atlas.sh output "$root/usr/bin/combo-atlas" ||
  fail "the installed combo-atlas failed"
cmp -s README.md "$root/usr/share/doc/combo/README.md" ||
  fail "the installed README differs from README.md"
echo "package.sh: $deb passed (Depends: $depends)"
