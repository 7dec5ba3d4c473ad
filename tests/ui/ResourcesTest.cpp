// The resources of the built DLL: every bitmap with its size and depth, the two dialog templates,
// the strings and the manifest, all under language 1049.
#include "res/resource.h"
#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

const WORD kLanguage = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);  // 1049

// The bytes of one resource stored under kLanguage; empty when there is none.
std::vector<std::uint8_t> ResourceBytes(HMODULE module, const wchar_t* type, UINT id) {
  const HRSRC found = ::FindResourceExW(module, type, MAKEINTRESOURCEW(id), kLanguage);
  if (found == nullptr) return {};
  const HGLOBAL loaded = ::LoadResource(module, found);
  const auto* bytes = static_cast<const std::uint8_t*>(::LockResource(loaded));
  return std::vector<std::uint8_t>(bytes, bytes + ::SizeofResource(module, found));
}

// Reads a dialog template (DLGTEMPLATEEX) the way the dialog manager does.
class TemplateReader {
 public:
  explicit TemplateReader(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  template <typename T>
  T Read() {
    T value{};
    if (offset_ + sizeof value <= bytes_.size())
      std::memcpy(&value, bytes_.data() + offset_, sizeof value);
    offset_ += sizeof value;
    return value;
  }
  // A string, or an ordinal (0xFFFF followed by the number) written as "#number".
  std::wstring ReadText() {
    if (Peek() == 0xFFFF) {
      Read<WORD>();
      return L"#" + std::to_wstring(Read<WORD>());
    }
    std::wstring text;
    for (WORD c = Read<WORD>(); c != 0 && offset_ <= bytes_.size(); c = Read<WORD>())
      text += static_cast<wchar_t>(c);
    return text;
  }
  void AlignToDword() { offset_ = (offset_ + 3) & ~std::size_t{3}; }

 private:
  WORD Peek() const {
    WORD value = 0;
    if (offset_ + sizeof value <= bytes_.size())
      std::memcpy(&value, bytes_.data() + offset_, sizeof value);
    return value;
  }

  std::vector<std::uint8_t> bytes_;
  std::size_t offset_ = 0;
};

struct DialogItem {
  DWORD style;
  short x, y, cx, cy;
  DWORD id;
  std::wstring windowClass;
  std::wstring text;
};

struct Dialog {
  DWORD style = 0;
  short x = -1, y = -1, cx = 0, cy = 0;
  std::wstring caption;
  WORD pointSize = 0;
  WORD weight = 0;
  std::wstring font;
  std::vector<DialogItem> items;
};

Dialog ReadDialog(HMODULE module, UINT id) {
  std::vector<std::uint8_t> bytes = ResourceBytes(module, RT_DIALOG, id);
  Dialog dialog;
  if (bytes.empty()) {
    ADD_FAILURE() << "no dialog " << id << " under language 1049";
    return dialog;
  }
  TemplateReader in(std::move(bytes));
  EXPECT_EQ(in.Read<WORD>(), 1) << "extended template";
  EXPECT_EQ(in.Read<WORD>(), 0xFFFF);
  in.Read<DWORD>();  // help id
  in.Read<DWORD>();  // extended style
  dialog.style = in.Read<DWORD>();
  const WORD count = in.Read<WORD>();
  dialog.x = in.Read<short>();
  dialog.y = in.Read<short>();
  dialog.cx = in.Read<short>();
  dialog.cy = in.Read<short>();
  EXPECT_EQ(in.ReadText(), L"") << "no menu";
  EXPECT_EQ(in.ReadText(), L"") << "default dialog class";
  dialog.caption = in.ReadText();
  dialog.pointSize = in.Read<WORD>();
  dialog.weight = in.Read<WORD>();
  in.Read<BYTE>();  // italic
  in.Read<BYTE>();  // character set
  dialog.font = in.ReadText();
  for (WORD i = 0; i < count; ++i) {
    in.AlignToDword();
    DialogItem item{};
    in.Read<DWORD>();  // help id
    in.Read<DWORD>();  // extended style
    item.style = in.Read<DWORD>();
    item.x = in.Read<short>();
    item.y = in.Read<short>();
    item.cx = in.Read<short>();
    item.cy = in.Read<short>();
    item.id = in.Read<DWORD>();
    item.windowClass = in.ReadText();
    item.text = in.ReadText();
    const WORD extra = in.Read<WORD>();
    for (WORD skip = 0; skip < extra; ++skip) in.Read<BYTE>();
    dialog.items.push_back(item);
  }
  return dialog;
}

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER |
                               DS_SETFOREGROUND | DS_MODALFRAME | DS_SHELLFONT;

void ExpectDialogFrame(const Dialog& dialog) {
  EXPECT_EQ(dialog.style & kDialogStyle, kDialogStyle);
  EXPECT_EQ(dialog.x, 0);
  EXPECT_EQ(dialog.y, 0);
  EXPECT_EQ(dialog.cx, 367);
  EXPECT_EQ(dialog.cy, 228);
  EXPECT_EQ(dialog.caption, L"Velmar Installation");
  EXPECT_EQ(dialog.pointSize, 8);
  EXPECT_EQ(dialog.weight, 400);
  EXPECT_EQ(dialog.font, L"MS Shell Dlg");
}

TEST(Resources, EveryBitmapIsStoredWithItsSizeAndTwentyFourBitsPerPixel) {
  msk::test::PluginHost host;
  ASSERT_NE(host.Module(), nullptr);
  struct Expected {
    UINT id;
    LONG width;
    LONG height;
  };
  const Expected bitmaps[] = {
      {IDB_BACKGROUND, 550, 370},  {IDB_UNINSTALL_BAND, 550, 66}, {IDB_BAR_LEFT_CAP, 2, 22},
      {IDB_BAR_RIGHT_CAP, 2, 22},  {IDB_SPARE_STRIP, 40, 8},      {IDB_BAR_BOTTOM, 266, 2},
      {IDB_BAR_BOTTOM_LEFT, 2, 2}, {IDB_BAR_BOTTOM_RIGHT, 2, 2},  {IDB_BAR_LEFT, 2, 22},
      {IDB_BAR_RIGHT, 2, 21},      {IDB_BAR_TOP, 265, 2},         {IDB_BAR_TOP_LEFT, 2, 2},
      {IDB_BAR_TOP_RIGHT, 2, 2},   {IDB_BAR_FILL, 1, 22},         {IDB_SPARE_LINE, 40, 2},
  };
  for (const Expected& expected : bitmaps) {
    SCOPED_TRACE("bitmap " + std::to_string(expected.id));
    const std::vector<std::uint8_t> bytes = ResourceBytes(host.Module(), RT_BITMAP, expected.id);
    ASSERT_GE(bytes.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header{};
    std::memcpy(&header, bytes.data(), sizeof header);
    EXPECT_EQ(header.biWidth, expected.width);
    EXPECT_EQ(header.biHeight, expected.height);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
  }
}

TEST(Resources, TheDownloadDialogHoldsOneProgressBar) {
  msk::test::PluginHost host;
  const Dialog dialog = ReadDialog(host.Module(), IDD_DOWNLOAD);
  ExpectDialogFrame(dialog);
  ASSERT_EQ(dialog.items.size(), 1u);
  const DialogItem& bar = dialog.items[0];
  EXPECT_EQ(bar.id, 138u);
  EXPECT_EQ(_wcsicmp(bar.windowClass.c_str(), L"msctls_progress32"), 0);
  EXPECT_EQ(bar.style & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
  EXPECT_EQ(bar.x, 9);
  EXPECT_EQ(bar.y, 113);
  EXPECT_EQ(bar.cx, 170);
  EXPECT_EQ(bar.cy, 16);
}

TEST(Resources, TheConnectionErrorDialogHoldsCancelBeforeTryAgain) {
  msk::test::PluginHost host;
  const Dialog dialog = ReadDialog(host.Module(), IDD_CONNECTION_ERROR);
  ExpectDialogFrame(dialog);
  ASSERT_EQ(dialog.items.size(), 2u);
  const DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
  const DialogItem& cancel = dialog.items[0];
  const DialogItem& tryAgain = dialog.items[1];
  EXPECT_EQ(cancel.id, 1001u);
  EXPECT_EQ(cancel.text, L"Cancel");
  EXPECT_EQ(cancel.style & button, button);
  EXPECT_EQ(cancel.style & 0xF, static_cast<DWORD>(BS_PUSHBUTTON));
  EXPECT_EQ(cancel.x, 300);
  EXPECT_EQ(cancel.y, 204);
  EXPECT_EQ(tryAgain.id, 1002u);
  EXPECT_EQ(tryAgain.text, L"Try Again");
  EXPECT_EQ(tryAgain.style & button, button);
  EXPECT_EQ(tryAgain.x, 231);
  EXPECT_EQ(tryAgain.y, 204);
  for (const DialogItem& item : dialog.items) {
    EXPECT_EQ(item.cx, 52);
    EXPECT_EQ(item.cy, 16);
  }
}

TEST(Resources, StringsAndManifestAreThere) {
  msk::test::PluginHost host;
  wchar_t text[128] = {};
  ASSERT_GT(::LoadStringW(host.Module(), IDS_CONNECTION_ERROR, text, 128), 0);
  EXPECT_STREQ(text, L"Installation could not complete due to internet connection problem.");
  ASSERT_GT(::LoadStringW(host.Module(), IDS_DOWNLOADING, text, 128), 0);
  EXPECT_STREQ(text, L"Downloading Velmar...");
  // Strings live in blocks of 16: ids 135 and 136 are in block 9.
  EXPECT_FALSE(ResourceBytes(host.Module(), RT_STRING, 135 / 16 + 1).empty());

  const std::vector<std::uint8_t> manifest = ResourceBytes(host.Module(), RT_MANIFEST, 2);
  const std::string xml(manifest.begin(), manifest.end());
  EXPECT_NE(xml.find("level=\"asInvoker\""), std::string::npos);
}

}  // namespace
