#!/bin/bash
# Builds the Debian package of combo with cpack and tests it without
# installing anything on this machine: its name and fields, the files it
# holds, and the programs it installs, unpacked into a scratch root and run
# on the worked example and on the atlas.
#
# Usage: tools/package.sh   (from anywhere; builds in build/)
# Needs dpkg-dev (for dpkg-shlibdeps) besides cmake, make and g++.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/step.sh
. tools/step.sh
build="build"
jobs=$(nproc 2>/dev/null || echo 2)

fail() {
  echo "package.sh: $*" >&2
  exit 1
}
command -v dpkg-shlibdeps >/dev/null ||
  fail "dpkg-shlibdeps not found; install dpkg-dev"

step configure
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
step build
cmake --build "$build" --parallel "$jobs"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' \
  "$build/CPackConfig.cmake")
[ -n "$version" ] || fail "no package version in $build/CPackConfig.cmake"
deb="$build/combo_${version}_$(dpkg --print-architecture).deb"
step cpack
rm -f "$build"/combo_*.deb
(cd "$build" && cpack -G DEB)
[ -f "$deb" ] || fail "cpack did not make $deb:" "$build"/*.deb

# The fields that apt acts on.
step fields
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = combo ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Recommends)" = "luit | x11-utils, xfonts-encodings" ] ||
  fail "Recommends: $(field Recommends)"

# Exactly these files, under /usr.
step files
want="./usr/bin/combo
./usr/bin/combo-atlas
./usr/share/doc/combo/README.md
./usr/share/man/man1/combo-atlas.1
./usr/share/man/man1/combo.1"
got=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
[ "$got" = "$want" ] || fail "files in the package:" $'\n'"$got"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

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
