// The dialogs' message text: what a script or a file name puts there is written as it is.
#include "support/Pixels.h"
#include "support/SkinBitmaps.h"
#include "ui/DialogText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using msk::test::Pixels;

// A heading may name "Tools & Setup.exe": "&" is a character, not the mark of an underlined one,
// which would swallow it (and "&&" would show one).
TEST(DialogText, AnAmpersandIsWrittenNotTakenForAnUnderlineMark) {
  const std::wstring text = L"&&&&&&&&";
  const ui::gdi::UniqueHFont font = ui::CreateDialogTextFont();
  SIZE extent{};
  const RECT band{0, 0, 200, 30};
  const Pixels written = Pixels::Painted(200, 30, [&](HDC dc) {
    ::FillRect(dc, &band, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    const HGDIOBJ previous = ::SelectObject(dc, font.Get());
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, previous);
    ui::DrawDialogMessageInBand(dc, band, text, font.Get());
  });
  const RECT ink = msk::test::DarkPixels(written, band);
  ASSERT_GT(extent.cx, 20);
  EXPECT_GE(ink.right - ink.left, extent.cx * 8 / 10) << "fewer ampersands than written";
}

}  // namespace
