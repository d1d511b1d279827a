#!/usr/bin/env bash
# The install as a host developer gets it: staged with DESTDIR, moved to
# another prefix as a whole, and used from there by the command line and by a
# host of its own, built from the installed example against the installed
# package alone.
#   staged_install.sh BUILD_DIR SOURCE_DIR GENERATOR CXX_COMPILER [CXX_FLAGS]
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
generator=$3
cxx=$4
cxxflags=${5:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/orve-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
run() {  # run LOG COMMAND...: the command's output goes to LOG, shown when it fails
    local log=$1
    shift
    timeout 300 "$@" >"$log" 2>&1 || { cat "$log"; fail "$*"; }
}

run "$work/install.log" env DESTDIR="$work/stage" \
    cmake --install "$build" --prefix /opt/orvevizari --strip

# No installed file names the folders it was built from. A sanitized build
# keeps its source files' paths in the programs for the sanitizers' reports
# (the compiler maps them out of file names and debug data, not out of those);
# it is never shipped, so there only its text files are checked.
binaries=()
[[ $cxxflags == *-fsanitize=* ]] && binaries=(-I)
if grep -rlF "${binaries[@]}" -e "$build" -e "$source/" "$work/stage"; then
    fail "the files above name $build or $source"
fi

mv "$work/stage/opt/orvevizari" "$work/moved"
prefix="$work/moved"
export ORVE_REGISTRY_DIR="$work/data"

version=$("$prefix/bin/orvevizari" --version)
[[ $version =~ ^orvevizari\ [0-9]+\.[0-9]+\.[0-9]+ ]] || fail "--version said: $version"
info=$(timeout 60 "$prefix/bin/orvevizari" info) || fail "orvevizari info"
grep -qx "library: $prefix/.*/ORVEVIZari.so" <<<"$info" || fail "info did not load the moved library: $info"
grep -qx "version: ${version#orvevizari }" <<<"$info" || fail "info shows another version: $info"

# The installed headers stand on their own, with the flags pkg-config gives.
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
flags=$(pkg-config --cflags orvevizari-reference-host) || fail "pkg-config"
(cd "$prefix/include/orvevizari" && find . -name '*.h' | sort | sed 's|^\./\(.*\)$|#include "\1"|') \
    >"$work/all_headers.cpp"
# shellcheck disable=SC2086
run "$work/headers.log" "$cxx" $flags -fsyntax-only "$work/all_headers.cpp"

run "$work/configure.log" cmake -S "$prefix/share/orvevizari/examples/embed-host" -B "$work/embed" \
    -G "$generator" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
run "$work/build.log" cmake --build "$work/embed"
out=$(timeout 60 "$work/embed/embed-host") || fail "embed-host failed: $out"
echo "$out"
grep -q "^module $prefix/.*/ORVEVIZari.so, version ${version#orvevizari }$" <<<"$out" ||
    fail "embed-host loaded another module"
[ "$(grep -c '^sample S1, position [0-9]*: intensity [0-9.]*$' <<<"$out")" -eq 3 ] ||
    fail "embed-host did not measure the method's three positions"
grep -qx "NewDataAvail: 1" <<<"$out" || fail "one sample, one NewDataAvail"
grep -qx "DllCanUnloadNow: yes" <<<"$out" || fail "the control was not released"
