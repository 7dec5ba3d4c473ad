#pragma once
// Whether the certificate of an HTTPS server has been revoked, as a check that runs beside the
// transfer instead of inside its TLS handshake.
//
//   for (const auto& check : response.revocation) {           // hftp::ResponseInfo
//     if (check->Verdict() == hftp::Revocation::Revoked) ...  // refuse what the server sent
//   }
//
// On Windows, libcurl's handshake verifies the certificate (its chain to the trusted roots, the
// host name) but does not ask whether it was revoked: asked there, Schannel waits for the
// revocation server on the engine's one shared worker, and every pooled transfer with it. The
// engine asks instead, on a thread of the check's own, once per certificate for the process,
// shared by every transfer of it (hftp/detail/RevocationChecker.h); a transfer that meets a
// certificate already known to be revoked ends at once (TransferResult::Kind::Certificate).
// A transfer to a server whose check is still running goes on, and the one who takes its result
// waits for the verdict before calling it a success: until the check answers, or until its
// deadline, after which the verdict is Unknown for everyone. Only a revocation list or responder
// that says "revoked" makes a verdict Revoked: a revocation server that cannot be reached, or that
// is too slow, is accepted (best effort). Elsewhere (libcurl on OpenSSL) no check is made.
//
// Thread-safety: every member may be called from any thread at the same time.

#include <atomic>
#include <chrono>

namespace hftp {

// How a refusal for a revoked certificate reads (hftp::TransferResult::message and the like).
inline constexpr char kRevokedCertificateWords[] = "the server's certificate has been revoked";

enum class Revocation {
  Pending,  // the check is still running and its deadline has not passed
  Good,     // the revocation information says the certificate stands
  Revoked,  // the revocation information says it was revoked
  Unknown,  // none could be had in time (offline, no address, too slow): accepted
};

class RevocationCheck {
 public:
  using Clock = std::chrono::steady_clock;
  // How long a check may wait for one revocation server, and all of them together.
  static constexpr std::chrono::milliseconds kRetrievalTimeout{4000};
  // After this, a verdict not yet given is Unknown: the retrieval limit plus the time to build the
  // chain around it.
  static constexpr std::chrono::milliseconds kBound =
      kRetrievalTimeout + std::chrono::milliseconds(500);

  explicit RevocationCheck(Clock::time_point start = Clock::now()) noexcept
      : deadline_(start + kBound) {}
  RevocationCheck(const RevocationCheck&) = delete;
  RevocationCheck& operator=(const RevocationCheck&) = delete;

  Revocation Verdict(Clock::time_point now = Clock::now()) const noexcept {
    const Revocation verdict = verdict_.load(std::memory_order_acquire);
    return verdict == Revocation::Pending && now >= deadline_ ? Revocation::Unknown : verdict;
  }
  Clock::time_point Deadline() const noexcept { return deadline_; }

  // The checker's answer, given once (later answers are ignored); tests give their own. An answer
  // after the deadline still counts for whoever asks afterwards: a revoked certificate is refused
  // from then on.
  void Settle(Revocation verdict) noexcept {
    Revocation pending = Revocation::Pending;
    verdict_.compare_exchange_strong(pending, verdict, std::memory_order_acq_rel);
  }

 private:
  std::atomic<Revocation> verdict_{Revocation::Pending};
  const Clock::time_point deadline_;
};

}  // namespace hftp
