#!/bin/bash
# Signs a copy of the launcher with a throwaway certificate and checks that
# the signature verifies, that the signed launcher still runs, and that
# removing the signature gives back the unsigned build's bytes.
#   signing.sh SOURCE_DIR BIN_DIR
SOURCE=$1
BIN=$2
source "$SOURCE/tools/env.sh"
source "$SOURCE/brand/record.sh"
WORK=$BIN/../signing
fail() { echo "signing.sh: Test failed: $*"; exit 1; }

rm -rf "$WORK" && mkdir -p "$WORK" && cd "$WORK" || exit 1
EXE=$(record_field "$BIN/dinstall.record.txt" exe)
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
    -subj "/CN=Throwaway test signer" -addext extendedKeyUsage=codeSigning 2>/dev/null &&
openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.pfx -passout pass:s3cret ||
    fail "openssl could not make a certificate"

cp "$BIN/$EXE" signed.exe
"$SOURCE/tools/sign" signed.exe cert.pfx >/dev/null 2>&1 && fail "signed with the wrong password"
cmp -s signed.exe "$BIN/$EXE" || fail "a failed signing changed the file"
"$SOURCE/tools/sign" signed.exe >/dev/null 2>&1
[ $? = 2 ] && cmp -s signed.exe "$BIN/$EXE" || fail "with no certificate: not a usage message, or the file changed"
SIGN_PASSWORD=s3cret "$SOURCE/tools/sign" signed.exe cert.pfx >/dev/null 2>sign.log || fail "tools/sign failed"
grep -q "no build record beside signed.exe names it" sign.log ||
    fail "a copy signed away from its build record was signed without a word: $(cat sign.log)"

osslsigncode verify -CAfile cert.pem -in signed.exe >verify.log 2>&1 ||
    fail "the signature does not verify: $(tail -n 3 verify.log)"
grep -qiE "digest algorithm *: *sha-?256" verify.log || fail "the signature's digest is not SHA-256"
osslsigncode verify -CAfile cert.pem -in "$BIN/$EXE" >/dev/null 2>&1 && fail "the unsigned build verifies"
osslsigncode remove-signature -in signed.exe -out unsigned.exe >/dev/null 2>&1 || fail "remove-signature failed"
cmp unsigned.exe "$BIN/$EXE" || fail "without its signature, the file differs from the unsigned build"

# A brand's launcher, beside its build record, is signed with its product's name and web address, and
# not with another launcher's whose record lies beside it too, first in the folder.
BRANDED=$(record_field "$BIN/edition.record.txt" exe)
cp "$BIN/$BRANDED" "$BIN/edition.record.txt" . || fail "cannot copy the edition launcher"
printf 'exe\tother.exe\nproduct\tOther Game\nwebsite\thttps://other.example\n' > another.record.txt
SIGN_PASSWORD=s3cret "$SOURCE/tools/sign" "$BRANDED" cert.pfx >/dev/null || fail "tools/sign failed on $BRANDED"
osslsigncode extract-signature -in "$BRANDED" -out signature.der >/dev/null 2>&1 || fail "no signature to extract"
/usr/bin/python3 - signature.der "$(record_field edition.record.txt product)" \
    "$(record_field edition.record.txt website)" <<'EOF' || fail "the signature does not name the program"
import sys
der = open(sys.argv[1], "rb").read()
name, url = sys.argv[2], sys.argv[3]
# the name as a signature's SpcString holds it, in UTF-16 or in ASCII
if not (name.encode("utf-16-be") in der or name.isascii() and name.encode() in der) or url.encode() not in der:
    sys.exit(f"the signature holds not both {name!r} and {url!r}")
if b"Other Game" in der or b"other.example" in der:
    sys.exit("the signature names the launcher whose record lies first in the folder")
EOF

# A product in another script: the signer writes a name only in ASCII, so it
# is refused, naming the product, unless SIGN_NAME gives the name in Latin letters.
sed 's/^exe\t.*/exe\tyalda.exe/; s/^product\t.*/product\tشب یلدا/' edition.record.txt > yalda.record.txt
cp "$BIN/$BRANDED" yalda.exe
SIGN_PASSWORD=s3cret "$SOURCE/tools/sign" yalda.exe cert.pfx >/dev/null 2>sign.log &&
    fail "a product in Persian letters was signed as ASCII"
grep -q "the product, شب یلدا, is not ASCII" sign.log && cmp -s yalda.exe "$BIN/$BRANDED" ||
    fail "a product in Persian letters: not refused naming the product, or the file changed: $(cat sign.log)"
SIGN_NAME="Shab-e Yalda" SIGN_PASSWORD=s3cret "$SOURCE/tools/sign" yalda.exe cert.pfx >/dev/null ||
    fail "tools/sign failed with SIGN_NAME"
osslsigncode extract-signature -in yalda.exe -out yalda.der >/dev/null 2>&1 && grep -q "Shab-e Yalda" yalda.der ||
    fail "SIGN_NAME is not the program's name in the signature"

# The driver runs its dialog scenario on the signed copy, under a name of its own.
cp signed.exe "$BIN/signed.exe"
sed 's/^exe\t.*/exe\tsigned.exe/' "$BIN/dinstall.record.txt" > "$BIN/signed.record.txt"
wine 'L:\bin\driver.exe' dialog signed.record.txt || fail "the signed launcher failed the dialog scenario"
rm -f "$BIN/signed.exe" "$BIN/signed.record.txt"
echo "signing.sh: signed, verified, ran under Wine, and unsigned again to the same bytes"
