#!/usr/bin/env bash
# Authenticode-signs files in place with osslsigncode (SHA-256), all of them or none:
#   scripts/sign.sh FILE...
# The key, one of:
#   TARN_SIGN_PFX=cert.pfx TARN_SIGN_PASSWORD=...            a certificate file
#   TARN_SIGN_PKCS11_MODULE=/path/to/token-module.so           a token or HSM (PKCS#11)
#   TARN_SIGN_PKCS11_KEY='pkcs11:token=...;object=...'         the key on it (RFC 7512 URI)
#   TARN_SIGN_CERT=cert.pem                                    its certificate (chain), PEM
#   TARN_SIGN_PIN=...                                          the token's user PIN
#   TARN_SIGN_PKCS11_ENGINE=...   the OpenSSL engine (default: libengine-pkcs11-openssl's)
# Time stamp (RFC 3161), so that a signature outlives its certificate: TARN_SIGN_TIMESTAMP_URL,
# one URL or several separated by blanks (tried in turn). It is required; signing without one
# needs TARN_SIGN_TIMESTAMP_URL=none. The signing time is the moment of signing.
# Secrets go through pipes, never the command line. Each file is signed into a copy; the copies
# replace the originals only when every file and time stamp succeeded, else all stay unsigned,
# the script says which file failed and exits with 1.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 FILE..." >&2; exit 2; }
fail() { echo "sign: FAILED: $*; no file was changed" >&2; exit 1; }

# shellcheck source=../resources/product.env
. "$(dirname "$0")/../resources/product.env"
options=(-h sha256 -n "$TARN_PRODUCT_NAME" -i "http://$TARN_MAKER_WEB_ADDRESS")
if [ -n "${TARN_SIGN_PKCS11_MODULE:-}" ]; then
  : "${TARN_SIGN_PKCS11_KEY:?TARN_SIGN_PKCS11_KEY is the pkcs11: URI of the key}"
  : "${TARN_SIGN_CERT:?TARN_SIGN_CERT is the certificate (PEM) of the key}"
  : "${TARN_SIGN_PIN?TARN_SIGN_PIN is the user PIN of the token}"
  engine=${TARN_SIGN_PKCS11_ENGINE:-$(dpkg -L libengine-pkcs11-openssl 2>/dev/null |
    grep -m1 '/engines-[0-9]*/pkcs11\.so$' || true)}
  [ -f "$engine" ] || fail "no PKCS#11 engine for OpenSSL (libengine-pkcs11-openssl)"
  options+=(-pkcs11engine "$engine" -pkcs11module "$TARN_SIGN_PKCS11_MODULE"
            -certs "$TARN_SIGN_CERT" -key "$TARN_SIGN_PKCS11_KEY")
  secret=$TARN_SIGN_PIN
elif [ -n "${TARN_SIGN_PFX:-}" ]; then
  : "${TARN_SIGN_PASSWORD?TARN_SIGN_PASSWORD is the certificate password}"
  options+=(-pkcs12 "$TARN_SIGN_PFX")
  secret=$TARN_SIGN_PASSWORD
else
  fail "no key: set TARN_SIGN_PFX, or TARN_SIGN_PKCS11_MODULE with its key and certificate"
fi
case "${TARN_SIGN_TIMESTAMP_URL:-}" in
  "") fail "no time stamp server: set TARN_SIGN_TIMESTAMP_URL (or =none to sign without)" ;;
  none) ;;
  *) for url in $TARN_SIGN_TIMESTAMP_URL; do options+=(-ts "$url"); done ;;
esac

signed=()
cleanup() { for file in "${signed[@]}"; do rm -f "$file.signed"; done; }
trap cleanup EXIT
for file in "$@"; do
  signed+=("$file")
  rm -f "$file.signed"
  if ! osslsigncode sign "${options[@]}" -readpass <(printf '%s' "$secret") \
      -in "$file" -out "$file.signed" >"$file.signed.log" 2>&1; then
    sed 's/^/  /' "$file.signed.log" >&2
    rm -f "$file.signed.log"
    fail "$file could not be signed or time-stamped"
  fi
  rm -f "$file.signed.log"
done
for file in "$@"; do mv "$file.signed" "$file"; done
signed=()
