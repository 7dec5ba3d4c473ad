#!/usr/bin/env python3
"""The HTTPS side of the loopback test server: a test PKI, and one HTTPS listener per server
certificate in front of the server's own request handler.

    msk_test_tls.py make-pki DIR    # a fresh PKI in DIR (the openssl tool), for a server elsewhere

The PKI (made at run time, valid for days; nothing of it is ever added to this machine's stores):

    ca.pem             the test CA that tests trust ("MarlowSetupKit Test CA")
    good.pem           localhost, issued by the test CA
    wrong_host.pem     wrong-host.msk.test only, issued by the test CA
    self_signed.pem    localhost, signed by its own key
    expired.pem        localhost, issued by the test CA, expired long ago
    unknown_ca.pem     localhost, issued by a second CA that no test trusts
    server.key         the key of all five server certificates
    signed/            programs signed by code-signing certificates of the same CAs
                       (msk_test_codesign.py)

Certificates name `localhost`, not 127.0.0.1: libraries check IP-address names differently.
"""

import os
import shutil
import ssl
import subprocess
import sys
import tempfile
import time

import msk_test_codesign

# Server certificate -> (its subjectAltName, who signs it, validity as openssl ca dates or None
# for the usual month).
SERVER_CERTIFICATES = {
    "good": ("DNS:localhost", "ca", None),
    "wrong_host": ("DNS:wrong-host.msk.test", "ca", None),
    "self_signed": ("DNS:localhost", "self", None),
    "expired": ("DNS:localhost", "ca", ("20200101000000Z", "20210101000000Z")),
    "unknown_ca": ("DNS:localhost", "other_ca", None),
}
FILES = (["ca.pem", "ca.key", "server.key"] + ["%s.pem" % name for name in SERVER_CERTIFICATES]
         + [os.path.join("signed", name) for name in msk_test_codesign.PROGRAMS])

CA_EXTENSIONS = """\
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
"""
SERVER_EXTENSIONS = """\
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
subjectAltName = %s
"""
# `openssl ca` is the one command of the tool that sets any validity period, the expired one too.
CA_CONFIG = """\
[req]
distinguished_name = empty
[empty]
[ca]
default_ca = test_ca
[test_ca]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = any_name
unique_subject = no
[any_name]
commonName = supplied
"""


def openssl(folder, *arguments):
    subprocess.run(["openssl"] + list(arguments), cwd=folder, check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def write(folder, name, text):
    with open(os.path.join(folder, name), "w") as file:
        file.write(text)


def issue(folder, key, subject, extensions, signer, dates, out):
    """Certifies `key` for `subject`: signed by the CA `signer` ("NAME" for NAME.pem and NAME.key),
    or by itself when `signer` is None. `dates` (start, end) as openssl ca takes them."""
    write(folder, "extensions", extensions)
    write(folder, "index.txt", "")
    write(folder, "serial", "%032x\n" % int.from_bytes(os.urandom(15), "big"))
    openssl(folder, "req", "-new", "-key", key, "-subj", subject, "-out", "request.csr",
            "-config", "ca.cnf")
    signing = ["-selfsign", "-keyfile", key] if signer is None else [
        "-cert", signer + ".pem", "-keyfile", signer + ".key"]
    openssl(folder, "ca", "-batch", "-notext", "-config", "ca.cnf", "-in", "request.csr",
            "-extfile", "extensions", "-startdate", dates[0], "-enddate", dates[1], "-out", out,
            *signing)


def make_pki(folder):
    """Makes a fresh PKI in `folder` (replacing any there) and returns the folder."""
    if shutil.which("openssl") is None:
        raise RuntimeError("the openssl tool is missing: run scripts/install-deps.sh")
    os.makedirs(folder, exist_ok=True)
    work = tempfile.mkdtemp(dir=folder)
    # From yesterday: a test machine whose clock is a little behind still finds them valid.
    now = time.time()
    current = tuple(time.strftime("%Y%m%d%H%M%SZ", time.gmtime(now + days * 86400))
                    for days in (-1, 30))
    try:
        write(work, "ca.cnf", CA_CONFIG)
        for key in ("ca.key", "other_ca.key", "server.key"):
            openssl(work, "genpkey", "-quiet", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048",
                    "-out", key)
        for ca, name in (("ca", "MarlowSetupKit Test CA"), ("other_ca", "MarlowSetupKit Unknown CA")):
            issue(work, ca + ".key", "/CN=" + name, CA_EXTENSIONS, None, current, ca + ".pem")
        for name, (alt_name, signer, dates) in SERVER_CERTIFICATES.items():
            subject = "/CN=" + alt_name.split(":", 1)[1]
            extensions = SERVER_EXTENSIONS % alt_name
            if signer == "self":
                extensions = extensions.replace("authorityKeyIdentifier = keyid\n", "")
                signer = None
            issue(work, "server.key", subject, extensions, signer, dates or current, name + ".pem")
        msk_test_codesign.make_programs(work, issue, current)
        os.makedirs(os.path.join(folder, "signed"), exist_ok=True)
        for name in FILES:
            os.replace(os.path.join(work, name), os.path.join(folder, name))
    except subprocess.CalledProcessError as error:
        raise RuntimeError("%s %s failed: %s" % (os.path.basename(error.cmd[0]), error.cmd[1],
                                                 error.stderr.decode(errors="replace"))) from None
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return folder


def revocation_servers(folder, server_class, handler_class, crl_urls):
    """Servers like https_servers' "good" one, whose certificates name where their revocation
    lists are: {name: URL} -> ({name: server}, {name: DER revocation list of the test CA that
    revokes that server's certificate}). A client that checks revocation asks the URL. Issued
    now, as the URLs (the running server's port) are known only now."""
    work = tempfile.mkdtemp(dir=folder)
    servers, revoked_lists = {}, {}
    try:
        write(work, "ca.cnf", CA_CONFIG)
        for name in ("ca.pem", "ca.key"):
            shutil.copy(os.path.join(folder, name), work)
        now = time.time()
        current = tuple(time.strftime("%Y%m%d%H%M%SZ", time.gmtime(now + days * 86400))
                        for days in (-1, 30))
        for name, crl_url in crl_urls.items():
            extensions = (SERVER_EXTENSIONS % "DNS:localhost"
                          + "crlDistributionPoints = URI:%s\n" % crl_url)
            issue(work, os.path.join(folder, "server.key"), "/CN=localhost", extensions, "ca",
                  current, name + ".pem")
            # The list that revokes it: `issue` left the certificate in the CA's fresh database.
            openssl(work, "ca", "-config", "ca.cnf", "-cert", "ca.pem", "-keyfile", "ca.key",
                    "-revoke", name + ".pem")
            openssl(work, "ca", "-config", "ca.cnf", "-cert", "ca.pem", "-keyfile", "ca.key",
                    "-gencrl", "-crldays", "30", "-out", name + ".crl")
            openssl(work, "crl", "-in", name + ".crl", "-outform", "DER", "-out", name + ".der")
            with open(os.path.join(work, name + ".der"), "rb") as file:
                revoked_lists[name] = file.read()
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(os.path.join(work, name + ".pem"),
                                    os.path.join(folder, "server.key"))
            servers[name] = _https_server_class(server_class, context)(("127.0.0.1", 0),
                                                                      handler_class)
        return servers, revoked_lists
    except subprocess.CalledProcessError as error:
        raise RuntimeError("%s %s failed: %s" % (os.path.basename(error.cmd[0]), error.cmd[1],
                                                 error.stderr.decode(errors="replace"))) from None
    finally:
        shutil.rmtree(work, ignore_errors=True)


def has_pki(folder):
    return all(os.path.isfile(os.path.join(folder, name)) for name in FILES)


def https_servers(folder, server_class, handler_class):
    """One server per server certificate of the PKI in `folder`, on ephemeral loopback ports, each
    a `server_class` answering with `handler_class` behind TLS: {certificate name: server}."""
    servers = {}
    for name in SERVER_CERTIFICATES:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(folder, name + ".pem"), os.path.join(folder, "server.key"))
        servers[name] = _https_server_class(server_class, context)(("127.0.0.1", 0), handler_class)
    return servers


def _https_server_class(server_class, context):
    class HttpsServer(server_class):
        # The handshake runs on the request's own thread, not in the accepting loop: a client
        # that stalls it holds up no one else.
        def get_request(self):
            connection, address = super().get_request()
            return context.wrap_socket(connection, server_side=True,
                                       do_handshake_on_connect=False), address

        def finish_request(self, request, client_address):
            try:
                request.do_handshake()
            except (ssl.SSLError, OSError):
                return  # most often a client that refused the certificate, as tests want it to
            super().finish_request(request, client_address)

    return HttpsServer


def main(argv):
    if len(argv) != 2 or argv[0] != "make-pki":
        sys.stderr.write(__doc__.split("\n\n")[1] + "\n")
        return 2
    make_pki(os.path.abspath(argv[1]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
