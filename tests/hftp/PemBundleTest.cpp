// DER certificates to the PEM text of a libcurl CA blob: the framing that splits a concatenation,
// the base64 lines, and a bundle that holds each certificate once and never an excluded one.
#include "hftp/detail/PemBundle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hftp::detail {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (const int v : values) out.push_back(static_cast<char>(v));
  return out;
}

// A DER SEQUENCE with `size` content bytes, in the short or the long length form.
std::string Sequence(std::size_t size, char fill = 'x') {
  std::string header = Bytes({0x30});
  if (size < 0x80) {
    header.push_back(static_cast<char>(size));
  } else if (size < 0x100) {
    header += Bytes({0x81, static_cast<int>(size)});
  } else {
    header += Bytes({0x82, static_cast<int>(size >> 8), static_cast<int>(size & 0xFF)});
  }
  return header + std::string(size, fill);
}

TEST(PemBundle, SplitsConcatenatedDerUpToTheFirstBrokenElement) {
  const std::string a = Sequence(3), b = Sequence(200, 'b'), c = Sequence(1000, 'c');
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"short, one-byte and two-byte lengths", a + b + c, {a, b, c}},
      {"nothing", "", {}},
      {"last element cut short", a + b + c.substr(0, 500), {a, b}},
      {"header cut short", a + Bytes({0x30, 0x82, 0x01}), {a}},
      {"not a SEQUENCE", a + Bytes({0x31, 0x01, 0x00}) + b, {a}},
      {"indefinite length", Bytes({0x30, 0x80, 0x00, 0x00}) + a, {}},
      {"length of five bytes", Bytes({0x30, 0x85, 0, 0, 0, 0, 1, 0}), {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const std::vector<std::string_view> parts = SplitDerCertificates(k.bytes);
    EXPECT_EQ(std::vector<std::string>(parts.begin(), parts.end()), k.expected);
  }
}

TEST(PemBundle, PemIsBase64InLinesOfSixtyFour) {
  const auto pem = [](const std::string& body) {
    return "-----BEGIN CERTIFICATE-----\n" + body + "-----END CERTIFICATE-----\n";
  };
  // The vectors of RFC 4648, then a line break after 48 bytes (64 characters).
  EXPECT_EQ(PemCertificate("f"), pem("Zg==\n"));
  EXPECT_EQ(PemCertificate("fo"), pem("Zm8=\n"));
  EXPECT_EQ(PemCertificate("foo"), pem("Zm9v\n"));
  EXPECT_EQ(PemCertificate("foobar"), pem("Zm9vYmFy\n"));
  EXPECT_EQ(PemCertificate(Bytes({0xFB, 0xFF, 0x00})), pem("+/8A\n"));
  EXPECT_EQ(PemCertificate(std::string(49, '\xFF')), pem(std::string(64, '/') + "\n" + "/w==\n"));
}

TEST(PemBundle, HoldsEachCertificateOnceAndNoExcludedOne) {
  const std::string a = Sequence(10, 'a'), b = Sequence(10, 'b'), c = Sequence(10, 'c');
  PemBundle bundle;
  bundle.Exclude(b);
  EXPECT_TRUE(bundle.Add(a));
  EXPECT_FALSE(bundle.Add(a));               // a second copy
  EXPECT_FALSE(bundle.Add(b));               // excluded
  EXPECT_FALSE(bundle.Add(""));              // nothing
  EXPECT_FALSE(bundle.Add(c.substr(0, 5)));  // cut short
  EXPECT_FALSE(bundle.Add(c + "trailing"));  // more than one element
  EXPECT_TRUE(bundle.Add(c));
  EXPECT_EQ(bundle.Count(), 2u);
  EXPECT_EQ(bundle.Text(), PemCertificate(a) + PemCertificate(c));
}

}  // namespace
}  // namespace hftp::detail
