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
# (pakorra-lookalike.exe). Last, a third release countersigned by a time-stamping server of the
# check's own on the loopback address, and servers that fail (see there).
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

# Countersigned: a time-stamping authority of our own on the loopback address (a throwaway CA and
# its time-stamping certificate, openssl ts -reply behind tests/release/timestamp_server.py), a
# third release T from A's copy signed with the certificate and its encrypted key and
# countersigned there. T's signatures and countersignatures verify, with the TSA's CA and not
# without it; T still verifies at a time after the certificate has expired, where B does not; T
# keeps the signing time, and without its signature is A. A server that cannot be reached, that
# answers with an error, or that never answers (within PAKORRA_TIMESTAMP_SECONDS) fails
# scripts/sign with nothing changed; a URL that is not http(s), or one without signing options,
# is refused before anything is built.
step "time-stamping authority"
tsa=$work/tsa
mkdir -p "$tsa"
openssl req -x509 -newkey rsa:3072 -nodes -keyout "$tsa/ca-key.pem" -out "$tsa/ca.pem" -days 2 \
  -subj "/CN=Pakorra release check TSA CA (throwaway)" -addext "basicConstraints=critical,CA:true" \
  -addext "keyUsage=critical,keyCertSign" 2>/dev/null &&
  openssl req -new -newkey rsa:3072 -nodes -keyout "$tsa/key.pem" -out "$tsa/tsa.csr" \
    -subj "/CN=Pakorra release check TSA (throwaway)" 2>/dev/null &&
  openssl x509 -req -in "$tsa/tsa.csr" -CA "$tsa/ca.pem" -CAkey "$tsa/ca-key.pem" -days 2 -out "$tsa/tsa.pem" \
    -extfile <(printf '%s\n' basicConstraints=CA:false keyUsage=critical,digitalSignature \
                 extendedKeyUsage=critical,timeStamping) 2>/dev/null ||
  { echo "FAIL: cannot make the time-stamping certificates"; exit 1; }
echo 01 >"$tsa/serial"
cat >"$tsa/ts.cnf" <<CNF
[ tsa ]
default_tsa = check_tsa
[ check_tsa ]
serial = $tsa/serial
crypto_device = builtin
signer_cert = $tsa/tsa.pem
certs = $tsa/ca.pem
signer_key = $tsa/key.pem
signer_digest = sha256
default_policy = 1.2.3.4.1
other_policies = 1.2.3.4.2
digests = sha256, sha384, sha512
accuracy = secs:1
ordering = yes
tsa_name = yes
ess_cert_id_chain = no
ess_cert_id_alg = sha256
CNF
python3 "$src/tests/release/timestamp_server.py" "$tsa/ts.cnf" "$tsa/port" 600 2>"$tsa/server.log" &
tsa_pid=$!
trap 'kill "$tsa_pid" 2>/dev/null; wait "$tsa_pid" 2>/dev/null' EXIT
for _ in $(seq 100); do
  [ ! -s "$tsa/port" ] && kill -0 "$tsa_pid" 2>/dev/null || break
  sleep 0.1
done
[ -s "$tsa/port" ] || { echo "FAIL: the time-stamping server did not start: $(cat "$tsa/server.log")"; exit 1; }
tsa_url=http://127.0.0.1:$(cat "$tsa/port")/

step "release T (signed, countersigned at $tsa_url) in $a"
stamped_from=$(date +%s)
if timeout 600 "$a/scripts/release" --out "$work/dist-t" --download-url "$url" --sign-cert "$keys/cert.pem" \
     --sign-key "$keys/key-encrypted.pem" --timestamp-url "$tsa_url" >"$work/release-t.log" 2>&1; then
  stamped_to=$(date +%s)
  (cd "$work/dist-t" && sha256sum --quiet -c SHA256SUMS) || fail "dist-t: the sums do not hold"
  cmp "$work/dist-a/dirpack.exe" "$work/dist-t/dirpack.exe" || fail "dirpack.exe differs in T"
  signing_time=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%b %e %H:%M:%S %Y GMT')
  expired=$(( $(date -u -d "$(openssl x509 -enddate -noout -in "$keys/cert.pem" | cut -d= -f2)" +%s) + 86400 ))
  for name in pakorra.exe vintora.dll; do
    t=$work/dist-t/$name
    log=$work/verify-t-$name.log
    osslsigncode remove-signature -in "$t" -out "$work/unsigned-t-$name" >/dev/null &&
      cmp "$work/dist-a/$name" "$work/unsigned-t-$name" || fail "$name: T without its signature is not A"
    cmp -s "$t" "$work/dist-b/$name" && fail "$name: T is B byte for byte, with no countersignature"
    # osslsigncode verify succeeds with a countersignature that does not hold (it checks the
    # certificate at the present time instead): what it says of the countersignature is read.
    osslsigncode verify -CAfile "$keys/cert.pem" -TSA-CAfile "$tsa/ca.pem" -in "$t" >"$log" 2>&1 ||
      fail "$name: T's signature does not verify: $(cat "$log")"
    grep -qxF "Timestamp Server Signature verification: ok" "$log" ||
      fail "$name: T's countersignature does not verify: $(cat "$log")"
    grep -qxF "	Signing time: $signing_time" "$log" ||
      fail "$name: T's signing time is not SOURCE_DATE_EPOCH ($signing_time): $(grep 'Signing time' "$log")"
    at=$(sed -n 's/^\tTimestamp time: //p' "$log")
    # (date takes an empty text for today's midnight)
    [ -n "$at" ] && at=$(date -u -d "$at" +%s 2>/dev/null) || at=0
    [ "$at" -ge $((stamped_from - 1)) ] && [ "$at" -le $((stamped_to + 1)) ] ||
      fail "$name: the countersignature's time $at is not the signing run's ($stamped_from to $stamped_to)"
    osslsigncode verify -CAfile "$keys/cert.pem" -TSA-CAfile "$keys/cert.pem" -in "$t" >"$log" 2>&1
    grep -qxF "Timestamp Server Signature verification: failed" "$log" ||
      fail "$name: T's countersignature holds without the TSA's CA: $(cat "$log")"
    # A day after the certificate has expired: the countersigned signature still holds, B's not.
    osslsigncode verify -CAfile "$keys/cert.pem" -TSA-CAfile "$tsa/ca.pem" -time "$expired" -in "$t" >"$log" 2>&1 ||
      fail "$name: T's signature does not hold after the certificate expired: $(cat "$log")"
    ! osslsigncode verify -CAfile "$keys/cert.pem" -TSA-CAfile "$tsa/ca.pem" -time "$expired" \
        -in "$work/dist-b/$name" >/dev/null 2>&1 ||
      fail "$name: B's signature, not countersigned, holds after the certificate expired"
  done
else
  fail "release T: $(cat "$work/release-t.log")"
fi

step "time-stamping servers that fail"
closed_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
# "once" countersigns the wizard and fails on the library: the wizard must not be left signed.
failing=("http://127.0.0.1:$closed_port/|60|unreachable, or no valid reply"
         "${tsa_url}error|60|unreachable, or no valid reply"
         "${tsa_url}once|60|did not countersign vintora.dll"
         "${tsa_url}silent|3|did not answer within 3 s")
for case in "${failing[@]}"; do
  IFS='|' read -r bad seconds words <<<"$case"
  rm -rf "$work/unstamped"
  cp -r "$work/dist-a" "$work/unstamped"
  started=$SECONDS
  PAKORRA_TIMESTAMP_SECONDS=$seconds timeout 120 "$a/scripts/sign" "$work/unstamped" --sign-pkcs12 "$keys/signer.p12" \
    --timestamp-url "$bad" >/dev/null 2>"$work/unstamped.err"
  status=$?
  [ "$status" = 1 ] || fail "scripts/sign with $bad: exit $status, not 1"
  [ $((SECONDS - started)) -le $((seconds + 30)) ] || fail "scripts/sign with $bad took $((SECONDS - started)) s"
  grep -qF -- "$words" "$work/unstamped.err" && grep -qF -- "nothing in $work/unstamped was signed" "$work/unstamped.err" ||
    fail "scripts/sign with $bad does not say \"$words\" and that nothing was signed: $(cat "$work/unstamped.err")"
  for name in "${deliverables[@]}" SHA256SUMS; do
    cmp -s "$work/dist-a/$name" "$work/unstamped/$name" || fail "$name: changed by scripts/sign with $bad"
  done
  [ "$(ls "$work/unstamped" | tr '\n' ' ')" = "SHA256SUMS dirpack.exe pakorra.exe vintora.dll " ] ||
    fail "scripts/sign with $bad left files behind: $(ls "$work/unstamped" | tr '\n' ' ')"
done

# Refused before anything is built or signed: exit code 2, no output folder, nothing changed.
refused_urls=("release|--sign-pkcs12|$keys/signer.p12|ftp://127.0.0.1/"
              "release|--sign-pkcs12|$keys/signer.p12|127.0.0.1:$closed_port"
              "release|--publisher-cert|$keys/cert.pem|$tsa_url"
              "release|||$tsa_url"
              "sign|--sign-pkcs12|$keys/signer.p12|"
              "sign|--sign-pkcs12|$keys/signer.p12|http://"
              "sign|--sign-pkcs12|$keys/signer.p12|http://127.0.0.1:$closed_port/ extra")
for refusal in "${refused_urls[@]}"; do
  IFS='|' read -r script option credential bad <<<"$refusal"
  options=()
  [ -z "$option" ] || options=("$option" "$credential")
  rm -rf "$work/refused" "$work/refused-out"
  cp -r "$work/dist-a" "$work/refused"
  if [ "$script" = release ]; then
    timeout 120 "$a/scripts/release" --out "$work/refused-out" "${options[@]}" --timestamp-url "$bad" >/dev/null 2>&1
  else
    timeout 120 "$a/scripts/sign" "$work/refused" "${options[@]}" --timestamp-url "$bad" >/dev/null 2>&1
  fi
  status=$?
  [ "$status" = 2 ] || fail "scripts/$script ${options[*]} --timestamp-url \"$bad\": exit $status, not 2"
  [ ! -e "$work/refused-out" ] || fail "scripts/$script --timestamp-url \"$bad\" made its output folder"
  for name in "${deliverables[@]}" SHA256SUMS; do
    cmp -s "$work/dist-a/$name" "$work/refused/$name" || fail "$name: changed by scripts/$script --timestamp-url \"$bad\""
  done
done
rm -rf "$work/refused" "$work/refused-out" "$work/unstamped"

if [ "$failures" = 0 ]; then
  echo "release check: two builds in different folders identical, signatures verify, no build folder inside," \
    "countersignatures verify and outlive the certificate ($SECONDS s)"
  cat "$work/dist-b/SHA256SUMS"
fi
exit "$((failures > 0))"
