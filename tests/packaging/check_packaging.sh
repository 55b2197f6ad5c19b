#!/usr/bin/env bash
# Installs the built program into a scratch prefix and builds its Debian
# package from the same build folder, then checks both with the tools a
# desktop and Debian use: every expected file, nothing more, and each file
# accepted by its validator.
#
#   check_packaging.sh BUILD_DIR
set -uo pipefail

build=${1:?usage: check_packaging.sh BUILD_DIR}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export LC_ALL=C.UTF-8

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Runs a command; on failure reports it with its output.
run() {
    local out
    if ! out=$("$@" 2>&1); then
        fail "$* ->"$'\n'"$out"
        return 1
    fi
}

appstream_id=example.tessaline.Vitrodial
expected=(
    bin/vitrodial
    bin/vitrodial-render
    share/applications/vitrodial.desktop
    share/doc/vitrodial/changelog.gz
    share/doc/vitrodial/copyright
    share/icons/hicolor/32x32/apps/vitrodial.png
    share/icons/hicolor/scalable/apps/vitrodial.svg
    share/man/man1/vitrodial-render.1.gz
    share/man/man1/vitrodial.1.gz
    "share/metainfo/$appstream_id.metainfo.xml"
)

# --- installation into a prefix ----------------------------------------------
prefix=$scratch/prefix
# (what it installs is checked in the package built from the same rules below)
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log" >&2; echo "FAIL: cmake --install" >&2; exit 1; }

# The programs must not look for libraries in the build tree or the prefix.
for program in vitrodial vitrodial-render; do
    ! readelf -d "$prefix/bin/$program" | grep -E 'R(UN)?PATH' || fail "$program carries a library search path"
done

# The installed render tool runs on its own, away from the build tree.
if run "$prefix/bin/vitrodial-render" --size 48 --time 2024-11-05T10:08:30 --out "$scratch/face.png"; then
    file -b "$scratch/face.png" | grep -q '^PNG image data, 48 x 48' ||
        fail "the installed render tool wrote no 48 x 48 PNG: $(file -b "$scratch/face.png")"
fi

# --- desktop entry and icons -------------------------------------------------
desktop=$prefix/share/applications/vitrodial.desktop
run desktop-file-validate "$desktop"
# A key of the group GROUP (default: the entry itself, not its actions).
field() { sed -n "/^\[${2:-Desktop Entry}\]/,/^\[/ s/^$1=//p" "$desktop"; }
[ "$(field Name) $(field Type)" = "Vitrodial Application" ] || fail "desktop Name, Type: $(field Name) $(field Type)"
[ -n "$(field Comment)" ] || fail "desktop entry has no Comment"
grep -q '^Categories=.*Utility;.*Clock;' "$desktop" || fail "desktop Categories lack Utility;Clock;"
# The entry opens the running clock's dialog, or starts the clock with it
# open; its action closes the clock: options the installed program lists.
[ "$(field Exec)" = "vitrodial --configure" ] || fail "desktop Exec is '$(field Exec)'"
[ "$(field Actions)" = "quit;" ] && [ -n "$(field Name 'Desktop Action quit')" ] &&
    [ "$(field Exec 'Desktop Action quit')" = "vitrodial --quit" ] || fail "desktop entry has no action quit"
help=$("$prefix/bin/vitrodial" --help) || fail "the installed vitrodial --help fails"
for option in --configure --quit; do
    grep -q -- "^ *$option " <<<"$help" || fail "vitrodial --help does not list $option"
done
# The icon must name what the package installs.
icons=$prefix/share/icons/hicolor
file -b "$icons/32x32/apps/$(field Icon).png" | grep -q '^PNG image data, 32 x 32' || fail "no 32x32 PNG icon '$(field Icon)'"
file -b "$icons/scalable/apps/$(field Icon).svg" | grep -q '^SVG' || fail "no SVG icon '$(field Icon)'"

# --- AppStream metadata ------------------------------------------------------
metainfo=$prefix/share/metainfo/$appstream_id.metainfo.xml
run appstreamcli validate --no-net "$metainfo"
# Also resolves the launchable against the installed desktop entry.
run appstreamcli validate-tree --no-net "$prefix"
grep -q '<launchable type="desktop-id">vitrodial.desktop</launchable>' "$metainfo" ||
    fail "metainfo does not launch vitrodial.desktop"

# --- manual pages ------------------------------------------------------------
for page in "$prefix"/share/man/man1/*.1.gz; do
    name=$(basename "$page" .1.gz)
    # gzip -n: no file name and no time stamp, so packages are reproducible.
    read -r -a header < <(head -c 8 "$page" | od -An -tu1)
    [ "${header[3]}${header[4]}${header[5]}${header[6]}${header[7]}" = 00000 ] ||
        fail "$name.1.gz was not compressed with gzip -n"
    # The same check Debian's lintian makes: no warnings from the formatter.
    warnings=$(MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $name warns:"$'\n'"$warnings"
    man -l "$page" 2>/dev/null | grep -q "^ *$name - " || fail "man $name has no NAME line for $name"
done

# The example of the render tool's page runs as printed.
example=$(zcat "$prefix/share/man/man1/vitrodial-render.1.gz" | sed -n '/^\.EX/,/^\.EE/p' |
          sed '/^\.E[XE]/d; s/\\-/-/g; s/\\e/\\/g')
[ -n "$example" ] || fail "vitrodial-render(1) has no example"
mkdir -p "$scratch/example" && : >"$scratch/example/vitrodial.ini"
(cd "$scratch/example" && PATH=$prefix/bin:$PATH bash -euc "$example") >"$scratch/example.log" 2>&1 ||
    fail "the example of vitrodial-render(1) fails:"$'\n'"$example"$'\n'"$(cat "$scratch/example.log")"

# --- Debian package ----------------------------------------------------------
# Packages what is built, as the install above does: with the Makefile
# generator named, cpack would first build the whole tree, every test
# included, inside this test. Naming Ninja, which has no such step, skips it;
# nothing else in the package depends on the generator.
cpack -G DEB -B "$scratch/deb" --config "$build/CPackConfig.cmake" -D CPACK_CMAKE_GENERATOR=Ninja \
    >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log" >&2; echo "FAIL: cpack -G DEB" >&2; exit 1; }
debs=("$scratch"/deb/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: cpack made no single .deb: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}

control() { dpkg-deb -f "$deb" "$1"; }
[ "$(control Package) $(control Section)" = "vitrodial utils" ] || fail "Package, Section: $(control Package) $(control Section)"
[ "$(control Maintainer)" = "Tessaline <vitrodial@tessaline.example>" ] || fail "Maintainer is '$(control Maintainer)'"
depends=$(control Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libc6; do
    grep -Eq "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

# The package holds exactly the installed files, under /usr, owned by root,
# programs 0755 and everything else 0644.
listing=$(dpkg-deb -c "$deb")
if ! diff <(printf './usr/%s\n' "${expected[@]}" | sort) \
          <(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sort) >"$scratch/diff"; then
    fail "package files differ from the expected list (< missing, > unexpected):"$'\n'"$(cat "$scratch/diff")"
fi
bad_modes=$(awk '$2 != "root/root" ||
                 ($1 ~ /^d/ && $1 != "drwxr-xr-x") ||
                 ($1 ~ /^-/ && $6 ~ /^\.\/usr\/bin\// && $1 != "-rwxr-xr-x") ||
                 ($1 ~ /^-/ && $6 !~ /^\.\/usr\/bin\// && $1 != "-rw-r--r--")' <<<"$listing")
[ -z "$bad_modes" ] || fail "package entries with unexpected owner or mode:"$'\n'"$bad_modes"

# One version everywhere: package, Debian changelog, newest AppStream release.
root=$scratch/root
dpkg-deb -x "$deb" "$root"
version=$(control Version)
changelog_version=$(zcat "$root/usr/share/doc/vitrodial/changelog.gz" | sed -n '1s/^vitrodial (\([^)]*\)).*/\1/p')
release_version=$(grep -o '<release version="[^"]*"' "$root/usr/share/metainfo/$appstream_id.metainfo.xml" |
                  head -n1 | sed 's/.*version="//; s/"$//')
[ "$changelog_version" = "$version" ] || fail "changelog version '$changelog_version' is not package version '$version'"
[ "$release_version" = "$version" ] || fail "metainfo release '$release_version' is not package version '$version'"

# The stripped programs of the package still run.
run "$root/usr/bin/vitrodial-render" --size 16 --out "$scratch/deb-face.png"

# Debian's own checker: no errors.
lintian_out=$(lintian --fail-on error "$deb" 2>&1) || fail "lintian reports errors:"$'\n'"$lintian_out"
echo "lintian:"$'\n'"$lintian_out"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "packaging: all checks passed"
