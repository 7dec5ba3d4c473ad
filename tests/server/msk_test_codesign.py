"""The code-signing side of the test PKI: a small Windows program, signed at run time with
Debian's `osslsigncode` by certificates of the test PKI, for the checks of a download's
Authenticode signature. msk_test_tls.make_pki calls make_programs while its CA keys exist.

Programs (in the PKI's `signed/` folder; the server answers them at /signed/NAME):

    velmar.exe       signed by "Velmar Example Co.", issued by the test CA for code signing
    other_name.exe   signed by "Other Name Ltd", issued by the test CA for code signing
    unknown_ca.exe   signed by "Velmar Example Co.", issued by the CA that no test trusts
    no_purpose.exe   signed by "Velmar Example Co.", issued by the test CA for e-mail only
    unsigned.exe     the same program, not signed

A byte of a signed program changed after signing is the server's `corrupt` parameter.
"""

import os
import shutil
import struct
import subprocess

SIGNER = "Velmar Example Co."

# Program -> (the signer's common name, the CA that issues its certificate, its extended key usage).
SIGNED_PROGRAMS = {
    "velmar": (SIGNER, "ca", "codeSigning"),
    "other_name": ("Other Name Ltd", "ca", "codeSigning"),
    "unknown_ca": (SIGNER, "other_ca", "codeSigning"),
    "no_purpose": (SIGNER, "ca", "emailProtection"),
}
PROGRAMS = ["%s.exe" % name for name in SIGNED_PROGRAMS] + ["unsigned.exe"]

SIGNER_EXTENSIONS = """\
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = %s
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
"""

# Where a changed byte breaks the signed program's digest: inside its code section.
CODE_OFFSET = 0x200
CORRUPTED_OFFSET = CODE_OFFSET + 0x100

_FILE_ALIGNMENT = 0x200
_SECTION_ALIGNMENT = 0x1000


def minimal_program():
    """A well-formed 32-bit Windows console program of one section, whose code returns 0: enough
    for signing and for Windows' signature check, which never runs it."""
    dos = bytearray(0x40)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, len(dos))  # where the PE header starts
    # Machine i386, one section, the optional header's size, executable 32-bit image.
    coff = struct.pack("<HHIIIHH", 0x14C, 1, 0, 0, 0, 0xE0, 0x0102)
    optional = struct.pack(
        "<HBBIIIIIIIIIHHHHHHIIIIHHIIIIII",
        0x10B, 14, 0,  # PE32, linker version
        _FILE_ALIGNMENT, 0, 0,  # sizes of code, initialised and uninitialised data
        _SECTION_ALIGNMENT, _SECTION_ALIGNMENT, 2 * _SECTION_ALIGNMENT,  # entry, code, data bases
        0x400000, _SECTION_ALIGNMENT, _FILE_ALIGNMENT,  # image base, alignments
        6, 0, 0, 0, 6, 0,  # operating system, image and subsystem versions
        0, 2 * _SECTION_ALIGNMENT, CODE_OFFSET, 0,  # Win32 version, image and headers size, sum
        3, 0x8140,  # console; NX-compatible, dynamic base, terminal-server aware
        0x100000, 0x1000, 0x100000, 0x1000, 0, 16)  # stack and heap, loader flags, directories
    directories = bytes(16 * 8)  # the signature goes into the security directory (4)
    section = struct.pack("<8sIIIIIIHHI", b".text", 0x1000, _SECTION_ALIGNMENT, _FILE_ALIGNMENT,
                          CODE_OFFSET, 0, 0, 0, 0, 0x60000020)
    headers = bytes(dos) + b"PE\0\0" + coff + optional + directories + section
    code = b"\x31\xC0\xC3"  # xor eax, eax; ret
    return (headers.ljust(CODE_OFFSET, b"\0") + code).ljust(CODE_OFFSET + _FILE_ALIGNMENT, b"\0")


def make_programs(work, issue, dates):
    """Writes PROGRAMS into `work`/signed. `work` holds ca.pem/ca.key, other_ca.pem/other_ca.key
    and ca.cnf; `issue` is msk_test_tls.issue; `dates` the validity of the signers' certificates."""
    if shutil.which("osslsigncode") is None:
        raise RuntimeError("the osslsigncode tool is missing: run scripts/install-deps.sh")
    signed = os.path.join(work, "signed")
    os.makedirs(signed, exist_ok=True)
    unsigned = os.path.join(signed, "unsigned.exe")
    with open(unsigned, "wb") as file:
        file.write(minimal_program())
    for name, (common_name, ca, usage) in SIGNED_PROGRAMS.items():
        key, certificate = name + "_signer.key", name + "_signer.pem"
        subprocess.run(["openssl", "genpkey", "-quiet", "-algorithm", "RSA", "-pkeyopt",
                        "rsa_keygen_bits:2048", "-out", key], cwd=work, check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        issue(work, key, "/CN=" + common_name, SIGNER_EXTENSIONS % usage, ca, dates, certificate)
        # The issuer goes into the signature too, as publishers ship it.
        chain = name + "_chain.pem"
        with open(os.path.join(work, chain), "w") as out:
            for part in (certificate, ca + ".pem"):
                with open(os.path.join(work, part)) as pem:
                    out.write(pem.read())
        subprocess.run(["osslsigncode", "sign", "-certs", chain, "-key", key, "-h", "sha256",
                        "-n", "MarlowSetupKit test program", "-in", unsigned,
                        "-out", os.path.join(signed, name + ".exe")],
                       cwd=work, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.PIPE)
    return signed
