#!/usr/bin/env bash
# scripts/seal as a publisher runs it, on a package folder made here with the built dirpack and a
# throwaway code-signing certificate that openssl makes: the seal holds (sha256sum -c); the
# signature, with and without signed attributes, from a chain file with an encrypted key and from
# a PKCS#12 file, verifies against the seal (openssl cms -verify -noverify), is the certificate's
# (not the chain's second one), and fails once the seal is altered; without signed attributes the same seal gives the
# same signature. A failed signing writes no signature; a wizard built for another certificate
# and a folder without a container are refused, nothing written.
#   seal_script_test.sh SOURCE SCRATCH DIRPACK
set -uo pipefail
src=${1:?source folder}; scratch=${2:?scratch folder}; dirpack=${3:?the built dirpack}
rm -rf "$scratch"
mkdir -p "$scratch/keys"
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export DIRPACK=$dirpack
seal() { timeout 120 "$src/scripts/seal" "$@" </dev/null; }
keys=$scratch/keys
pkg=$scratch/词典包
seal_file=$pkg/package.sha256
signature=$pkg/package.sha256.p7s

export PAKORRA_SIGN_PASSWORD
PAKORRA_SIGN_PASSWORD=$(openssl rand -hex 12)
make_cert() { # name, common name
  timeout 120 openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/$1-key.pem" -out "$keys/$1.pem" -days 2 \
    -subj "/CN=$2" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
}
make_cert signer "Pakorra seal check (throwaway)" && make_cert other "Another seal check (throwaway)" &&
  openssl pkey -in "$keys/signer-key.pem" -aes256 -passout env:PAKORRA_SIGN_PASSWORD -out "$keys/key-encrypted.pem" &&
  openssl pkcs12 -export -inkey "$keys/signer-key.pem" -in "$keys/signer.pem" -certfile "$keys/other.pem" \
    -out "$keys/signer.p12" -passout env:PAKORRA_SIGN_PASSWORD &&
  cat "$keys/signer.pem" "$keys/other.pem" >"$keys/chain.pem" ||
  { echo "FAIL: cannot make the throwaway certificates"; exit 1; }
digest=$("$src/scripts/certificate-digest" --cert "$keys/signer.pem")
other_digest=$("$src/scripts/certificate-digest" --cert "$keys/other.pem")

# The package: a container made by dirpack, an image, and stand-ins for the wizard (built for the
# signer's certificate, as its marker says) and the library.
mkdir -p "$pkg/dict_image"
head -c 5000 /dev/urandom >"$scratch/xinci8.dic"
"$dirpack" create "$pkg/核心.dir" -e "$scratch/xinci8.dic" xinci8 .dic 2024.05.01 新编 >/dev/null ||
  { echo "FAIL: dirpack create"; exit 1; }
printf 'BM image' >"$pkg/dict_image/xinci8.bmp"
wizard() { printf 'MZ wizard pakorra-publisher-certificate-sha256:%s\0' "$1" >"$pkg/pakorra.exe"; }
wizard "$digest"
printf 'MZ library' >"$pkg/vintora.dll"

verifies() { # signature file: verifies against the seal as it is
  openssl cms -verify -binary -inform DER -in "$1" -content "$seal_file" -noverify -out /dev/null 2>/dev/null
}
attributes() { openssl cms -cmsout -print -inform DER -in "$1" 2>/dev/null | grep -cE 'object: (signingTime|messageDigest)'; }
# The certificate of the signature's signer, as the signature names it (not by position: CMS
# keeps its certificates as a set, in the order of their bytes).
signer_digest() {
  rm -f "$scratch/signer-out.pem"
  openssl cms -verify -binary -inform DER -in "$1" -content "$seal_file" -noverify -signer "$scratch/signer-out.pem" \
    -out /dev/null 2>/dev/null && openssl x509 -in "$scratch/signer-out.pem" -outform DER 2>/dev/null | sha256sum |
    cut -d' ' -f1
}
# One byte of the seal changed, the signature tried, the seal put back.
fails_once_altered() { # signature file
  cp "$seal_file" "$scratch/seal.kept"
  local digit=0
  [ "$(head -c 1 "$seal_file")" != 0 ] || digit=1
  sed -i "1s/^./$digit/" "$seal_file"
  ! verifies "$1" || fail "$1 verifies an altered seal"
  mv "$scratch/seal.kept" "$seal_file"
}
leftovers() { find "$pkg" -name '.package.sha256.p7s.*' | grep -q . ; }

# Unsigned: the seal alone, which sha256sum takes.
seal "$pkg" >/dev/null || fail "seal without signing"
[ -f "$seal_file" ] && [ ! -e "$signature" ] || fail "unsigned: not the seal alone"
(cd "$pkg" && sha256sum --quiet --strict -c package.sha256) || fail "sha256sum -c does not take the seal"
[ "$(wc -l <"$seal_file")" = 4 ] || fail "the seal does not list the 4 files: $(cat "$seal_file")"

# The chain file and an encrypted key, with signed attributes.
seal "$pkg" --sign-cert "$keys/chain.pem" --sign-key "$keys/key-encrypted.pem" >/dev/null || fail "signing with cert and key"
verifies "$signature" || fail "cert and key: the signature does not verify"
[ "$(signer_digest "$signature")" = "$digest" ] || fail "cert and key: the signer is not the chain's first certificate"
[ "$(openssl pkcs7 -inform DER -in "$signature" -print_certs 2>/dev/null | grep -c 'BEGIN CERTIFICATE')" = 2 ] ||
  fail "cert and key: the chain's second certificate is not in the signature"
[ "$(attributes "$signature")" = 2 ] || fail "cert and key: no signing time and digest among signed attributes"
fails_once_altered "$signature"
# The signing time changes with the second; the rest is as before. The signer is told.
out=$(seal "$pkg" --sign-cert "$keys/chain.pem" --sign-key "$keys/key-encrypted.pem") || fail "signing again"
grep -qF "package.sha256.p7s: signed by subject=CN = Pakorra seal check (throwaway)" <<<"$out" ||
  fail "the signer is not told: $out"

# The PKCS#12 file, without signed attributes: the same seal gives the same signature.
seal "$pkg" --sign-pkcs12 "$keys/signer.p12" --no-signed-attributes >/dev/null || fail "signing with PKCS#12"
verifies "$signature" || fail "PKCS#12: the signature does not verify"
[ "$(signer_digest "$signature")" = "$digest" ] || fail "PKCS#12: the signer is not the file's own certificate"
[ "$(attributes "$signature")" = 0 ] || fail "PKCS#12 without signed attributes: signed attributes found"
cp "$signature" "$scratch/first.p7s"
seal "$pkg" --sign-pkcs12 "$keys/signer.p12" --no-signed-attributes >/dev/null || fail "signing with PKCS#12 again"
cmp -s "$signature" "$scratch/first.p7s" || fail "without signed attributes the same seal gave another signature"
fails_once_altered "$signature"
# With the plain key, no password in the environment.
(unset PAKORRA_SIGN_PASSWORD; seal "$pkg" --sign-cert "$keys/signer.pem" --sign-key "$keys/signer-key.pem" >/dev/null) ||
  fail "signing with an unencrypted key and no password"
verifies "$signature" || fail "unencrypted key: the signature does not verify"

# Failures write no signature: a file changed (so the seal changes), then a wrong password.
rm -f "$signature"
printf 'BM image 2' >"$pkg/dict_image/xinci8.bmp"
PAKORRA_SIGN_PASSWORD=wrong seal "$pkg" --sign-cert "$keys/chain.pem" --sign-key "$keys/key-encrypted.pem" \
  >/dev/null 2>"$scratch/err" && fail "a wrong password signed"
[ ! -e "$signature" ] || fail "a failed signing left $signature"
leftovers && fail "a failed signing left its temporary file"
(cd "$pkg" && sha256sum --quiet --strict -c package.sha256) || fail "the seal is not of the files after a failed signing"
# The key of another certificate than the one given.
seal "$pkg" --sign-cert "$keys/signer.pem" --sign-key "$keys/other-key.pem" >/dev/null 2>&1 && fail "a foreign key signed"
[ ! -e "$signature" ] || fail "signing with a foreign key left $signature"

# A wizard built for another certificate: refused before anything is written.
seal "$pkg" --sign-pkcs12 "$keys/signer.p12" >/dev/null || fail "signing before the wizard changes"
wizard "$other_digest"
cp "$seal_file" "$scratch/seal.before"; cp "$signature" "$scratch/signature.before"
seal "$pkg" --sign-pkcs12 "$keys/signer.p12" >/dev/null 2>"$scratch/err"
status=$?
[ $status = 2 ] || fail "a wizard built for another certificate: exit $status, not 2"
grep -q "built for another certificate" "$scratch/err" || fail "the refusal does not say why: $(cat "$scratch/err")"
cmp -s "$seal_file" "$scratch/seal.before" && cmp -s "$signature" "$scratch/signature.before" ||
  fail "the refused run changed the seal or its signature"
wizard "$digest"

# A folder without a container, and wrong usage.
mkdir -p "$scratch/empty"
printf 'MZ' >"$scratch/empty/pakorra.exe"
seal "$scratch/empty" >/dev/null 2>&1
status=$?
[ $status = 1 ] || fail "a folder without a container: exit $status, not 1"
[ ! -e "$scratch/empty/package.sha256" ] || fail "a folder without a container was sealed"
for args in "" "--sign-pkcs12" "$pkg --sign-cert $keys/signer.pem" "$pkg --no-signed-attributes" "$pkg --sign-key"; do
  # shellcheck disable=SC2086
  seal $args >/dev/null 2>&1
  status=$?
  [ $status = 2 ] || fail "\"scripts/seal $args\": exit $status, not 2"
done
DIRPACK=$scratch/no-dirpack seal "$pkg" >/dev/null 2>"$scratch/err" && fail "sealed without a dirpack"
grep -q "set DIRPACK=path" "$scratch/err" || fail "a missing dirpack is not told: $(cat "$scratch/err")"

[ "$failures" = 0 ] && echo "scripts/seal: sealed, signed three ways, altered seals fail, refusals write nothing"
exit "$((failures > 0))"
