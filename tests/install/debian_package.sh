#!/usr/bin/env bash
# The Debian package as lab IT gets it: built by CPack from this build,
# unpacked into a folder of its own (no install on the machine), and run from
# there: info and a one-sample measurement whose data carries the version.
#   debian_package.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/orve-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$build" && timeout 300 cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package: ${debs[*]}"
deb=${debs[0]}

# Runtime libraries only, found from what the programs link.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libc6 libstdc++6 libfmt libgrpc++ libprotobuf; do
    grep -q "\b$needed" <<<"$depends" || fail "$needed missing from Depends"
done
if grep -qE -- '-dev\b' <<<"$depends"; then fail "development packages in Depends"; fi
# Installing enables no service.
if dpkg-deb --ctrl-tarfile "$deb" | tar -xO 2>/dev/null | grep -q systemctl; then
    fail "a maintainer script touches systemd"
fi

dpkg-deb -x "$deb" "$work/root"
usr="$work/root/usr"
unit="$usr/lib/systemd/system/orvevizari-server.service"
grep -qx "ExecStart=/usr/bin/orvevizari-server --listen unix:/run/orvevizari/server.sock" "$unit" ||
    fail "the unit does not run the packaged server on /run/orvevizari"
grep -qx "RuntimeDirectory=orvevizari" "$unit" || fail "the unit makes no /run/orvevizari"
for program in orvevizari orvevizari-studio orvevizari-server; do
    [ -x "$usr/bin/$program" ] || continue
    zcat "$usr/share/man/man1/$program.1.gz" | grep -q "^\.SH OPTIONS" || fail "man page of $program"
    "$usr/bin/$program" --version | grep -q "^$program [0-9]" || fail "$program --version"
done

export ORVE_REGISTRY_DIR="$work/data"
version=$("$usr/bin/orvevizari" --version)
version=${version#orvevizari }
info=$(timeout 60 "$usr/bin/orvevizari" info) || fail "orvevizari info"
grep -qx "library: $usr/lib/orvevizari/ORVEVIZari.so" <<<"$info" ||
    fail "info did not load the unpacked library: $info"
timeout 60 "$usr/bin/orvevizari" measure "$usr/share/orvevizari/examples/method-3pos.json" \
    --samples 1 --out "$work/run.tsv" --data "$work/run.json" --quiet ||
    fail "the measurement failed"
[ "$(wc -l <"$work/run.tsv")" -eq 2 ] || fail "expected a header and one sample: $(cat "$work/run.tsv")"
grep -qF "\"version\": \"$version\"" "$work/run.json" || fail "the run record lacks the version $version"
echo "$info" | head -2
cat "$work/run.tsv"
