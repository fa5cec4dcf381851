#!/usr/bin/env bash
# Authenticode-signs files in place with osslsigncode (SHA-256):
#   TARN_SIGN_PFX=cert.pfx TARN_SIGN_PASSWORD=... scripts/sign.sh FILE...
# Optional: TARN_SIGN_TIMESTAMP_URL (an RFC 3161 server) adds a time stamp, so the signature
# stays valid after the certificate expires. Without it the signing time is fixed to
# SOURCE_DATE_EPOCH when set, so that signing twice gives the same bytes.
set -euo pipefail
: "${TARN_SIGN_PFX:?TARN_SIGN_PFX names the .pfx certificate}"
: "${TARN_SIGN_PASSWORD?TARN_SIGN_PASSWORD is the certificate password}"
options=(-pkcs12 "$TARN_SIGN_PFX" -h sha256 -n TarnMedSuite -i http://www.tarnmed.example)
if [ -n "${TARN_SIGN_TIMESTAMP_URL:-}" ]; then
  options+=(-ts "$TARN_SIGN_TIMESTAMP_URL")
elif [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  options+=(-time "$SOURCE_DATE_EPOCH")
fi
for file in "$@"; do
  # The password goes through a pipe, never the command line.
  osslsigncode sign "${options[@]}" -readpass <(printf '%s' "$TARN_SIGN_PASSWORD") \
    -in "$file" -out "$file.signed" >/dev/null
  mv "$file.signed" "$file"
done
