#!/usr/bin/env python3
"""A local RFC 3161 time-stamp server for the release test: HTTP on 127.0.0.1, each request
answered by `openssl ts -reply`.

    tsa_server.py FOLDER PORT_FILE

FOLDER gets a throwaway time-stamping CA certificate (tsa.pem) and key; the chosen port is
written to PORT_FILE once the server listens. Runs until killed.
"""
import http.server
import os
import subprocess
import sys
import tempfile

CONFIG = """[ tsa ]
default_tsa = tsa_config
[ tsa_config ]
dir = {folder}
serial = $dir/serial
crypto_device = builtin
signer_cert = $dir/tsa.pem
signer_key = $dir/tsa.key
signer_digest = sha256
default_policy = 1.3.6.1.4.1.4146.2.3
digests = sha1, sha256, sha384, sha512
accuracy = secs:1
ordering = yes
tsa_name = yes
ess_cert_id_chain = no
ess_cert_id_alg = sha256
"""


def make_authority(folder):
    with open(os.path.join(folder, "tsa.cnf"), "w") as f:
        f.write(CONFIG.format(folder=folder))
    with open(os.path.join(folder, "serial"), "w") as f:
        f.write("01\n")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-keyout", os.path.join(folder, "tsa.key"),
                    "-out", os.path.join(folder, "tsa.pem"), "-subj", "/CN=TarnMed test TSA",
                    "-addext", "extendedKeyUsage=critical,timeStamping"],
                   check=True, capture_output=True)


class Handler(http.server.BaseHTTPRequestHandler):
    folder = ""

    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with tempfile.TemporaryDirectory() as work:
            request, reply = os.path.join(work, "request.tsq"), os.path.join(work, "reply.tsr")
            with open(request, "wb") as f:
                f.write(query)
            answer = subprocess.run(["openssl", "ts", "-reply", "-config",
                                     os.path.join(self.folder, "tsa.cnf"), "-queryfile", request,
                                     "-out", reply], capture_output=True)
            if answer.returncode != 0:
                self.send_error(500, "openssl ts -reply failed")
                return
            with open(reply, "rb") as f:
                body = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main(folder, port_file):
    folder = os.path.abspath(folder)
    os.makedirs(folder, exist_ok=True)
    make_authority(folder)
    Handler.folder = folder
    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    with open(port_file + ".tmp", "w") as f:
        f.write(f"{server.server_address[1]}\n")
    os.replace(port_file + ".tmp", port_file)
    server.serve_forever()


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2])
