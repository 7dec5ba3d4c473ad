#include "plugin/DownloadCommand.h"

#include "plugin/DialogTextOptions.h"
#include "res/resource.h"
#include "tools/StringTools.h"

#include <cwctype>
#include <initializer_list>
#include <limits>

namespace plugin {
namespace {

using std::chrono::seconds;

// The longest time a limit may have, as the engine keeps it (libcurl's milliseconds in an int).
constexpr long long kLongestSeconds = std::numeric_limits<int>::max() / 1000;
constexpr int kMostRetries = 1000;

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

// A plain decimal number from 0 to `most`; absent for anything else.
std::optional<long long> Number(const std::wstring& text, long long most) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  long long value = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + (c - L'0');
  }
  if (value > most) return std::nullopt;
  return value;
}

// ASCII only: iswxdigit may also take the full-width digits of some locales.
bool IsHex(const std::wstring& text) noexcept {
  for (const wchar_t c : text) {
    const bool hex =
        (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
    if (!hex) return false;
  }
  return true;
}

// `text` with every control character and line or paragraph separator made a space: a result is
// one line, which scripts compare and log, whatever a name or a message held.
std::wstring OneLine(std::wstring text) {
  for (wchar_t& c : text) {
    if (c < 0x20 || c == 0x7F || c == 0x85 || c == 0x2028 || c == 0x2029) c = L' ';
  }
  return text;
}

bool HasLineBreak(const std::wstring& text) noexcept {
  return text.find_first_of(L"\r\n") != std::wstring::npos;
}

// The conversion that answers with a flag: the throwing one would bring the whole iostream
// machinery into the DLL. A text that cannot be converted becomes empty.
std::wstring Wide(const std::string& text) {
  std::wstring converted;
  Tools::StringTools::ConvertFromUtf8(text, converted);
  return converted;
}

// The names a /SIGNER check expected, as the script gave them: "A or B".
std::wstring ExpectedSigners(const std::vector<std::wstring>& signers) {
  std::wstring joined;
  for (const std::wstring& name : signers) joined += (joined.empty() ? L"" : L" or ") + name;
  return joined;
}

// Applies one option to `command`; false when its name is known but its value is not valid.
enum class Applied { Yes, Invalid, Unknown };

bool IsKnownFlag(const std::wstring& name) noexcept {
  return name == L"SILENT" || name == L"CANCEL" || name == L"BACKGROUND" || name == L"PAGE";
}

bool TakesValue(const std::wstring& name) noexcept {
  for (const wchar_t* known :
       {L"RETRY", L"STALL", L"CONNECTTIMEOUT", L"TIMEOUT", L"SHA256", L"HEADER", L"USERAGENT",
        L"PROXY", L"PROXYAUTH", L"TEXT", L"SIGNER"}) {
    if (name == known) return true;
  }
  return IsDialogTextOption(name);
}

// The proxy as the options name it, made into the engine's settings at the end.
struct NamedProxy {
  std::optional<std::wstring> address;
};

Applied Apply(const std::wstring& name, const std::optional<std::wstring>& given,
              DownloadCommand& command, NamedProxy& proxy) {
  const bool flag = IsKnownFlag(name);
  if (!flag && !TakesValue(name)) return Applied::Unknown;
  // Flags take no value, the others need one (which may be empty).
  if (flag == given.has_value()) return Applied::Invalid;
  if (flag) {
    (name == L"SILENT"       ? command.silent
     : name == L"BACKGROUND" ? command.background
     : name == L"PAGE"       ? command.page
                             : command.look.cancelButton) = true;
    return Applied::Yes;
  }
  const std::wstring& value = *given;
  hftp::RequestOptions& options = command.request.options;
  const auto limit = [&](seconds& field) {
    const std::optional<long long> number = Number(value, kLongestSeconds);
    if (!number) return Applied::Invalid;
    field = seconds(*number);
    return Applied::Yes;
  };
  if (name == L"RETRY") {
    const std::optional<long long> number = Number(value, kMostRetries);
    if (!number) return Applied::Invalid;
    command.request.retries = static_cast<int>(*number);
    return Applied::Yes;
  }
  if (name == L"STALL") return limit(options.stallTimeout);
  if (name == L"CONNECTTIMEOUT") return limit(options.connectTimeout);
  if (name == L"TIMEOUT") return limit(options.totalTimeout);
  if (name == L"SHA256") {
    // Empty: no check, so that a script can pass a variable that may hold none.
    if (!value.empty() && (value.size() != 64 || !IsHex(value))) return Applied::Invalid;
    command.request.sha256.assign(value.begin(), value.end());  // hex digits: ASCII
    return Applied::Yes;
  }
  if (name == L"HEADER") {
    const auto colon = value.find(L':');
    if (colon == 0 || colon == std::wstring::npos || HasLineBreak(value)) return Applied::Invalid;
    options.headers.push_back(value);
    return Applied::Yes;
  }
  if (name == L"USERAGENT") {
    if (HasLineBreak(value)) return Applied::Invalid;
    options.userAgent = value;
    return Applied::Yes;
  }
  if (name == L"PROXY") {
    if (HasLineBreak(value)) return Applied::Invalid;
    proxy.address = value;
    return Applied::Yes;
  }
  if (name == L"PROXYAUTH") {
    if (HasLineBreak(value) || value.find(L':') == std::wstring::npos) return Applied::Invalid;
    // For /PROXY's proxy or the system's, whichever the download goes through.
    command.request.proxyCredentials = value;
    return Applied::Yes;
  }
  if (ApplyDialogTextOption(name, value, command.look)) return Applied::Yes;
  if (name == L"TEXT") {
    command.look.textPattern = value;
    return Applied::Yes;
  }
  if (name == L"SIGNER") {
    // Empty is refused, not taken as "no check": a script whose variable came out empty would
    // otherwise run whatever arrived.
    if (value.empty()) return Applied::Invalid;
    command.request.signers.push_back(value);
    return Applied::Yes;
  }
  return Applied::Unknown;
}

DownloadCommand Defaults() {
  DownloadCommand command;
  command.request.options.stallTimeout = seconds(30);
  command.request.options.connectTimeout = seconds(30);
  command.request.options.userAgent = L"MarlowSetupKit/" MSK_VERSION_TEXT;
  command.look.textLine = true;
  command.look.marquee = true;
  return command;
}

ParsedDownload Error(std::wstring text) {
  ParsedDownload parsed;
  parsed.error = std::move(text);
  return parsed;
}

// The result line, as the outcome and the command give it.
std::wstring ResultLine(const download::DownloadOutcome& outcome, const DownloadCommand& command) {
  using download::DownloadResult;
  const hftp::RequestOptions& options = command.request.options;
  const std::wstring detail = Wide(outcome.detail);
  switch (outcome.result) {
    case DownloadResult::Completed:
      return L"OK";
    case DownloadResult::HttpError:
      return L"HTTP " + std::to_wstring(outcome.httpStatus);
    case DownloadResult::CannotConnect:
      return detail.empty() ? L"Could not connect" : L"Could not connect: " + detail;
    case DownloadResult::Stalled:
      return L"No data for " + std::to_wstring(options.stallTimeout.count()) + L" s";
    case DownloadResult::TimedOut:
      return L"Timed out after " + std::to_wstring(options.totalTimeout.count()) + L" s";
    case DownloadResult::CertificateNotTrusted:
      return L"Certificate not trusted";
    case DownloadResult::ConnectionLost:
      return detail.empty() ? L"Connection lost" : L"Connection lost: " + detail;
    case DownloadResult::CannotWrite:
      return L"Cannot write " + command.request.path;
    case DownloadResult::NoNetwork:
      return L"No network connection";
    case DownloadResult::Cancelled:
      return L"Cancelled";
    case DownloadResult::ChecksumMismatch:
      return L"SHA-256 mismatch";
    case DownloadResult::NotSigned:
      return L"Not signed";
    case DownloadResult::SignatureNotValid:
      return L"Signature not valid";
    case DownloadResult::SignerNotTrusted:
      return L"Signer not trusted";
    case DownloadResult::WrongSigner:
      return L"Signed by " + detail + L", not " + ExpectedSigners(command.request.signers);
    case DownloadResult::ProxyAuthFailed:
      return L"Proxy authentication failed";
    case DownloadResult::ProxyUnreachable:
      return L"Could not connect to proxy " + detail;
    case DownloadResult::Unrecoverable:
    case DownloadResult::Failed:
      break;
  }
  return detail.empty() ? L"Download failed" : L"Download failed: " + detail;
}

}  // namespace

bool IsOption(const std::wstring& argument) noexcept {
  return !argument.empty() && argument[0] == L'/';
}

ParsedDownload ParseDownloadArguments(const std::vector<std::wstring>& arguments) {
  DownloadCommand command = Defaults();
  NamedProxy proxy;
  std::size_t next = 0;
  for (; next < arguments.size() && IsOption(arguments[next]); ++next) {
    const std::wstring& argument = arguments[next];
    const auto equals = argument.find(L'=');
    const std::wstring name =
        Upper(argument.substr(1, equals == std::wstring::npos ? equals : equals - 1));
    std::optional<std::wstring> value;
    if (equals != std::wstring::npos) value = argument.substr(equals + 1);
    switch (Apply(name, value, command, proxy)) {
      case Applied::Yes:
        break;
      case Applied::Invalid:
        // Named without its value: a value may be a secret (a proxy password, a token in a header
        // or a URL) that scripts would log, or hold a line break. The name is a known one.
        return Error(L"Invalid option /" + name);
      case Applied::Unknown:
        return Error(L"Unknown option " + OneLine(argument.substr(0, equals)));
    }
  }
  // A path that looks like an option is one placed after the url: the real path is still to come.
  if (arguments.size() - next < 2 || IsOption(arguments[next + 1])) {
    return Error(L"Missing url or path");
  }
  command.request.url = arguments[next];
  command.request.path = arguments[next + 1];
  if (command.request.url.empty() || command.request.path.empty()) {
    return Error(L"Missing url or path");
  }
  if (proxy.address) command.request.options.proxy = hftp::NamedProxy(*proxy.address, L"");
  ParsedDownload parsed;
  parsed.command = std::move(command);
  return parsed;
}

std::wstring DownloadResultText(const download::DownloadOutcome& outcome,
                                const DownloadCommand& command) {
  return OneLine(ResultLine(outcome, command));
}

}  // namespace plugin
