#pragma once
// The checks a downloaded file must pass before a download job answers Completed: the SHA-256
// digest the request names, then the signer it expects.
//
//   download::ArrivalChecks checks;
//   checks.sha256 = "9f86d0...";                      // empty: no digest check
//   checks.signers = {L"Velmar Example Co."};        // empty: no signature check
//   download::DownloadOutcome outcome = download::CheckArrivedFile(L"C:\\payload.exe", checks);
//   // Completed, ChecksumMismatch, NotSigned, SignatureNotValid, SignerNotTrusted or
//   // WrongSigner (detail: the name the file is signed with)
//
// The signer is the file's Authenticode signer (tools/AuthenticodeSignature.h); it must equal one
// of the names as a whole, without regard to case: "Velmar" never matches "Velmar Example Co.".
// The file itself is left as it is, whatever the answer.
//
// Thread-safety: any thread; nothing is shared.

#include "download/Outcome.h"

#include <string>
#include <vector>

namespace download {

struct ArrivalChecks {
  std::string sha256;                 // 64 hex digits, any case; empty: no check
  std::vector<std::wstring> signers;  // any one may match; empty: no check
};

DownloadOutcome CheckArrivedFile(const std::wstring& path, const ArrivalChecks& checks);

}  // namespace download
