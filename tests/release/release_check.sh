#!/usr/bin/env bash
# scripts/release as a publisher runs it, twice, from two copies of the source in folders of
# different names and lengths (a leaked path would shift every byte after it):
#   A  unsigned, built for a throwaway certificate (--publisher-cert)
#   B  signed with that certificate in a PKCS#12 file, its password in the environment
# Then: the sums hold; A's files and B's with the signature taken off are identical; B's
# signatures verify, and an unsigned or altered file does not; signing A afterwards
# (scripts/sign, certificate and encrypted key) gives B byte for byte, while scripts/sign refuses,
# writing nothing, a wizard built for no certificate or with a second certificate; no file holds
# a folder of either build. B's signed wizard and library are left in SIGNED_OUT for the Wine
# test, with the throwaway certificates and their keys, two libraries the signed wizard must refuse: A's unsigned one (vintora-unsigned.dll)
# and A's signed by a second throwaway certificate (vintora-other-signer.dll), and a look-alike
# wizard: B's re-signed by that second certificate, its PE checksum written back to B's
# (pakorra-lookalike.exe).
#   release_check.sh SOURCE WORK SIGNED_OUT DOWNLOAD_URL
set -uo pipefail
src=${1:?source checkout}; work=${2:?work folder}; signed_out=${3:?folder for the signed files}; url=${4:?download page}
rm -rf "$work"
mkdir -p "$work/tmp" "$work/keys"
# The releases' temporary build folders go here, so that the search for paths below covers them.
export TMPDIR=$work/tmp
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
step() { echo "-- $* ($SECONDS s)"; }

# What the checkout holds, committed or not, as git sees it (build folders are ignored).
copy_source() { # destination
  mkdir -p "$1"
  (cd "$src" && git ls-files -z --cached --others --exclude-standard |
    tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -xf - -C "$1"
}
a=$work/a/src
b=$work/second-copy/source
copy_source "$a"
copy_source "$b"
# The copies are not checkouts: the signing time is the checkout's commit time, given here.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct)}

step "throwaway signing certificate"
keys=$work/keys
export PAKORRA_SIGN_PASSWORD
PAKORRA_SIGN_PASSWORD=$(openssl rand -hex 16)
openssl req -x509 -newkey rsa:3072 -nodes -keyout "$keys/key.pem" -out "$keys/cert.pem" -days 2 \
  -subj "/CN=Pakorra release check (throwaway)" -addext "extendedKeyUsage=codeSigning" 2>/dev/null &&
  openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -out "$keys/signer.p12" \
    -passout env:PAKORRA_SIGN_PASSWORD &&
  openssl pkey -in "$keys/key.pem" -aes256 -passout env:PAKORRA_SIGN_PASSWORD -out "$keys/key-encrypted.pem" &&
  openssl req -x509 -newkey rsa:3072 -nodes -keyout "$keys/other-key.pem" -out "$keys/other-cert.pem" -days 2 \
    -subj "/CN=Another release check (throwaway)" -addext "extendedKeyUsage=codeSigning" 2>/dev/null ||
  { echo "FAIL: cannot make the throwaway certificates"; exit 1; }

step "release A (unsigned) in $a"
"$a/scripts/release" --out "$work/dist-a" --download-url "$url" --publisher-cert "$keys/cert.pem" || { echo "FAIL: release A"; exit 1; }
step "release B (signed) in $b"
"$b/scripts/release" --out "$work/dist-b" --download-url "$url" --sign-pkcs12 "$keys/signer.p12" ||
  { echo "FAIL: release B"; exit 1; }
step "comparing"

deliverables=(pakorra.exe vintora.dll dirpack.exe)
for dist in "$work/dist-a" "$work/dist-b"; do
  (cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "$dist: the sums do not hold"
  [ "$(awk '{ print $2 }' "$dist/SHA256SUMS" | tr '\n' ' ')" = "${deliverables[*]} " ] ||
    fail "$dist/SHA256SUMS does not list exactly ${deliverables[*]}"
done

cmp "$work/dist-a/dirpack.exe" "$work/dist-b/dirpack.exe" || fail "dirpack.exe differs between the builds"
for name in pakorra.exe vintora.dll; do
  osslsigncode remove-signature -in "$work/dist-b/$name" -out "$work/unsigned-$name" >/dev/null &&
    cmp "$work/dist-a/$name" "$work/unsigned-$name" || fail "$name: B without its signature is not A"
  osslsigncode verify -CAfile "$keys/cert.pem" -in "$work/dist-b/$name" >"$work/verify-$name.log" 2>&1 ||
    fail "$name: the signature does not verify: $(cat "$work/verify-$name.log")"
  ! osslsigncode verify -CAfile "$keys/cert.pem" -in "$work/dist-a/$name" >/dev/null 2>&1 ||
    fail "$name: an unsigned file verifies"
done
# One byte of code changed after signing: the signature must no longer hold.
cp "$work/dist-b/pakorra.exe" "$work/altered.exe"
printf '\xcc' | dd of="$work/altered.exe" bs=1 seek=4096 conv=notrunc status=none
! osslsigncode verify -CAfile "$keys/cert.pem" -in "$work/altered.exe" >/dev/null 2>&1 ||
  fail "an altered signed wizard verifies"

# Signing is reproducible too, and both ways of giving the certificate sign alike.
cp -r "$work/dist-a" "$work/dist-a-signed"
"$a/scripts/sign" "$work/dist-a-signed" --sign-cert "$keys/cert.pem" --sign-key "$keys/key-encrypted.pem" >/dev/null ||
  fail "scripts/sign with certificate and key"
for name in "${deliverables[@]}" SHA256SUMS; do
  cmp "$work/dist-a-signed/$name" "$work/dist-b/$name" || fail "$name: A signed afterwards is not B"
done

# A wizard built for no certificate (A's, the digits after the marker taken out) or signed with
# another certificate than its own would refuse every library: scripts/sign refuses it, and
# changes nothing.
cp -r "$work/dist-a" "$work/dist-nocert"
python3 - "$work/dist-nocert/pakorra.exe" <<'PY' || fail "cannot take the certificate out of A's wizard"
import re, sys
path = sys.argv[1]
data = open(path, "rb").read()
marker = b"pakorra-publisher-certificate-sha256:"
found = re.search(re.escape(marker) + b"[0-9a-f]{64}", data)
if not found:
    sys.exit("no certificate after the marker")
at = found.start() + len(marker)
open(path, "wb").write(data[:at] + b"\0" * 64 + data[at + 64:])
PY
cp -r "$work/dist-nocert" "$work/dist-nocert-before"
refusals=("$work/dist-nocert|--sign-pkcs12|$keys/signer.p12|without its publisher's certificate"
          "$work/dist-a|--sign-cert|$keys/other-cert.pem|built for another certificate")
for refusal in "${refusals[@]}"; do
  IFS='|' read -r dir option credential words <<<"$refusal"
  cp -r "$dir" "$work/refused"
  credentials=("$option" "$credential")
  [ "$option" = --sign-pkcs12 ] || credentials+=(--sign-key "$keys/other-key.pem")
  "$a/scripts/sign" "$work/refused" "${credentials[@]}" >/dev/null 2>"$work/refused.err"
  status=$?
  [ "$status" = 2 ] || fail "scripts/sign on $dir with $credential: exit $status, not 2"
  grep -qF -- "$words" "$work/refused.err" || fail "scripts/sign on $dir does not say \"$words\": $(cat "$work/refused.err")"
  for name in "${deliverables[@]}" SHA256SUMS; do
    cmp -s "$dir/$name" "$work/refused/$name" || fail "$name: changed by a refused scripts/sign"
  done
  rm -rf "$work/refused"
done

# No folder of either build inside, in 8-bit or UTF-16 text. The download page is looked for the
# same way, to show that the search finds what is there.
for file in "$work"/dist-a/*.{exe,dll} "$work"/dist-b/*.{exe,dll}; do
  for folder in "$work" "$src" second-copy pakorra-release.; do
    # grep reads to the end (no -q): with pipefail, strings cut off by an early exit would fail
    # the pipeline whatever grep found.
    if grep -qaF -- "$folder" "$file" || strings -a -e l "$file" | grep -F -- "$folder" >/dev/null; then
      fail "$file holds \"$folder\""
    fi
  done
done
strings -a -e l "$work/dist-b/pakorra.exe" | grep -xF -- "$url" >/dev/null || fail "pakorra.exe does not hold its download page $url"

rm -rf "$signed_out"
mkdir -p "$signed_out"
cp "$work/dist-b/pakorra.exe" "$work/dist-b/vintora.dll" "$signed_out/"
cp "$work/dist-a/vintora.dll" "$signed_out/vintora-unsigned.dll"
# The throwaway certificates and keys, for the Wine test to sign package seals as the publisher
# and as someone else.
cp "$keys/cert.pem" "$keys/key.pem" "$keys/other-cert.pem" "$keys/other-key.pem" "$signed_out/"
osslsigncode sign -certs "$keys/other-cert.pem" -key "$keys/other-key.pem" -h sha256 \
  -in "$work/dist-a/vintora.dll" -out "$signed_out/vintora-other-signer.dll" >/dev/null ||
  fail "cannot sign the library with the second certificate"
# The look-alike: B's very wizard signed by the second certificate instead, with B's PE checksum
# written back (the checksum is no part of what a signature covers), so that its headers agree
# with the genuine wizard's wherever they can.
osslsigncode sign -certs "$keys/other-cert.pem" -key "$keys/other-key.pem" -h sha256 \
  -in "$work/unsigned-pakorra.exe" -out "$work/lookalike.exe" >/dev/null &&
  python3 - "$work/dist-b/pakorra.exe" "$work/lookalike.exe" "$signed_out/pakorra-lookalike.exe" <<'PY' ||
import struct, sys
genuine, lookalike = (open(path, "rb").read() for path in sys.argv[1:3])
at = struct.unpack_from("<I", genuine, 0x3C)[0] + 24 + 64  # PE32 optional header: CheckSum
open(sys.argv[3], "wb").write(lookalike[:at] + genuine[at:at + 4] + lookalike[at + 4:])
PY
  fail "cannot make the look-alike wizard"

if [ "$failures" = 0 ]; then
  echo "release check: two builds in different folders identical, signatures verify, no build folder inside ($SECONDS s)"
  cat "$work/dist-b/SHA256SUMS"
fi
exit "$((failures > 0))"
