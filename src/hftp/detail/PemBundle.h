#pragma once
// Root certificates as libcurl takes them in a CA blob: PEM text, built from DER certificates one
// at a time, each at most once.
//
//   hftp::detail::PemBundle bundle;
//   bundle.Exclude(distrustedDer);  // never added afterwards
//   for (std::string_view der : hftp::detail::SplitDerCertificates(concatenated)) bundle.Add(der);
//   const std::string& pem = bundle.Text();  // "-----BEGIN CERTIFICATE-----\n..." per certificate
//
// Only the outer DER framing is checked here (one SEQUENCE of definite length); whether a
// certificate means anything is for the verifier to decide.
//
// Thread rules: none; build a bundle on one thread, then read it from any.

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace hftp::detail {

// The length of the DER SEQUENCE that `bytes` starts with (header and content), or 0 when they do
// not start with a complete one.
std::size_t DerSequenceLength(std::string_view bytes) noexcept;

// The DER SEQUENCEs laid end to end in `bytes`, in order, up to the first that is not one.
std::vector<std::string_view> SplitDerCertificates(std::string_view bytes);

// One certificate in PEM: base64 in lines of 64 characters between the BEGIN and END lines, each
// line ending in "\n".
std::string PemCertificate(std::string_view der);

class PemBundle {
 public:
  // Keeps `der` out of the bundle from now on.
  void Exclude(std::string_view der);
  // Appends `der` in PEM unless it is not one whole DER SEQUENCE, was added before or is excluded;
  // true when it was appended.
  bool Add(std::string_view der);

  const std::string& Text() const noexcept { return text_; }
  std::size_t Count() const noexcept { return added_.size(); }

 private:
  std::set<std::string, std::less<>> added_;
  std::set<std::string, std::less<>> excluded_;
  std::string text_;
};

}  // namespace hftp::detail
