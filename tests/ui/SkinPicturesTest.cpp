// The installer's own skin (ui/SkinPictures.h): which pictures a skin folder is taken with, which
// it is refused for, and what the download dialog then shows, read back from the screen.
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/Pixels.h"
#include "support/ScratchFolder.h"
#include "support/SkinBitmaps.h"
#include "support/SkinFolder.h"
#include "tools/WindowsHandles.h"
#include "ui/ErrorDialog.h"
#include "ui/ProgressDialog.h"
#include "ui/SkinPictures.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <utility>

namespace {

using msk::test::Pixels;
using msk::test::ScratchFolder;

HMODULE BuiltIn() noexcept {
  return ::GetModuleHandleW(nullptr);  // the test program carries the library's resources
}

void WriteSwappedSkin(const ScratchFolder& folder) {
  for (const ui::SkinPiece& piece : ui::SkinPieces())
    ASSERT_TRUE(msk::test::WriteSwappedPiece(folder.Root(), piece.file, BuiltIn(), piece.id));
}

// Every test leaves the library's own look behind it.
class SkinPicturesTest : public ::testing::Test {
 protected:
  void TearDown() override { ui::UseBuiltInSkin(); }
  ScratchFolder folder_;
};

TEST_F(SkinPicturesTest, ThePiecesAreTheBuiltInPicturesWithTheirSizeAndDepth) {
  for (const ui::SkinPiece& piece : ui::SkinPieces()) {
    SCOPED_TRACE(std::to_string(piece.id));
    const HANDLE image = ::LoadImageW(BuiltIn(), MAKEINTRESOURCEW(piece.id), IMAGE_BITMAP, 0, 0,
                                      LR_CREATEDIBSECTION);
    ASSERT_NE(image, nullptr);
    BITMAP info{};
    ::GetObjectW(image, sizeof info, &info);
    ::DeleteObject(image);
    EXPECT_EQ(info.bmWidth, piece.width);
    EXPECT_EQ(info.bmHeight, piece.height);
    EXPECT_EQ(info.bmBitsPixel, ui::kSkinBitsPerPixel);
  }
}

TEST_F(SkinPicturesTest, AFolderThatDoesNotFitIsRefusedWithItsReasonAndChangesNothing) {
  enum class Given { TheFolder, AMissingOne, Nothing };
  struct Case {
    const char* what;
    const wchar_t* file;  // written into the folder over the full set; null: none
    int width, height, bits;
    Given given;
    std::wstring answer;
  };
  const std::wstring missing = folder_.Path(L"nowhere");
  const Case cases[] = {
      {"too large", L"background.bmp", 640, 480, 24, Given::TheFolder,
       L"Skin: background.bmp is 640 x 480, wants 550 x 370"},
      {"too deep", L"bar_fill.bmp", 1, 22, 32, Given::TheFolder,
       L"Skin: bar_fill.bmp has 32 bits per pixel, wants 24"},
      {"no such folder", nullptr, 0, 0, 0, Given::AMissingOne, L"Skin: no folder " + missing},
      {"no folder at all", nullptr, 0, 0, 0, Given::Nothing, L"Skin: no folder given"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    // A full set around the faulty file: one misfit refuses the whole folder.
    WriteSwappedSkin(folder);
    if (c.file != nullptr) {
      ASSERT_TRUE(msk::test::WriteBmp(folder.Path(c.file), c.width, c.height, c.bits,
                                      [](int, int) { return RGB(1, 2, 3); }));
    }
    ui::UsePlainLook();
    const std::wstring given = c.given == Given::TheFolder     ? folder.Root()
                               : c.given == Given::AMissingOne ? missing
                                                               : L"";
    EXPECT_EQ(ui::UseSkinFolder(given), c.answer);
    EXPECT_TRUE(ui::PlainLook()) << "the look chosen before stays";
  }
}

TEST_F(SkinPicturesTest, AFolderIsTakenWithOrWithoutItsTrailingBackslash) {
  ASSERT_TRUE(
      msk::test::WriteSwappedPiece(folder_.Root(), L"bar_fill.bmp", BuiltIn(), IDB_BAR_FILL));
  const Pixels ours = msk::test::SkinBitmap(BuiltIn(), IDB_BAR_FILL);
  for (const std::wstring& given : {folder_.Root(), folder_.Root() + L"\\"}) {
    ui::UseBuiltInSkin();
    ASSERT_EQ(ui::UseSkinFolder(given), L"");
    const ui::gdi::UniqueHBitmap fill = ui::SkinPicture(IDB_BAR_FILL);
    ASSERT_TRUE(fill);
    EXPECT_EQ(Pixels::OfBitmap(fill.Get()).At(0, 5), msk::test::Swapped(ours.At(0, 5)));
  }
}

// `window`'s client area once it has settled: two captures 100 ms apart that agree (a window
// that was just shown may not have reached the screen yet), or the last one after two seconds.
Pixels SettledClient(HWND window) {
  ::InvalidateRect(window, nullptr, TRUE);
  ::SendMessageW(window, WM_NULL, 0, 0);  // its thread is running its message loop
  ::Sleep(100);
  Pixels shown = Pixels::OfWindowClient(window);
  for (int i = 0; i < 20; ++i) {
    ::Sleep(100);
    Pixels again = Pixels::OfWindowClient(window);
    const bool settled =
        again.FirstDifference(0, 0, again.Width(), again.Height(), shown, 0, 0) == "";
    shown = std::move(again);
    if (settled) break;
  }
  return shown;
}

// The download dialog as Download /CANCEL shows it at 42 % of a known size, as the screen shows
// it: its client area and its bar.
struct Shown {
  std::optional<Pixels> dialog;
  std::optional<Pixels> bar;
};

Shown ShowDownloadDialog(const std::string& artifact) {
  Shown shown;
  const Tools::UniqueKernelHandle taken(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  msk::test::DialogDriver driver(::GetCurrentThreadId(), [&](HWND dialog) {
    const HWND bar = ::GetDlgItem(dialog, IDC_DOWNLOAD_PROGRESS);
    const HWND line = ::GetDlgItem(dialog, ui::kDownloadTextControl);
    for (int i = 0; i < 500 && (::SendMessageW(bar, PBM_GETPOS, 0, 0) != 42 ||
                                ::GetWindowTextLengthW(line) == 0);
         ++i) {
      ::Sleep(10);
    }
    shown.dialog = SettledClient(dialog);
    shown.bar = Pixels::OfWindowClient(bar);
    ::SetEvent(taken.Get());
  });
  ui::DownloadDialogLook look;
  look.textLine = look.cancelButton = true;
  ui::RunDownloadDialog(nullptr, look,
                        [&](download::ProgressView* view, const download::CancelSignal&) {
                          view->ShowBytes(1'321'000, 3'145'728);
                          view->ShowPercent(42);
                          ::WaitForSingleObject(taken.Get(), 30000);
                          return true;
                        });
  EXPECT_TRUE(driver.Finish().sawDialog);
  if (shown.dialog) msk::test::SaveArtifact(*shown.dialog, artifact);
  return shown;
}

// Where the dialog shows nothing but its background, and a column of the bar's fill at 42 %.
constexpr RECT kBackgroundSample{330, 70, 530, 150};
constexpr int kFillColumn = 8;

TEST_F(SkinPicturesTest,
       TheDownloadDialogShowsTheFoldersPicturesAndOursForAMissingOrUnreadableOne) {
  const Pixels background = msk::test::SkinBitmap(BuiltIn(), IDB_BACKGROUND);
  const Pixels fill = msk::test::SkinBitmap(BuiltIn(), IDB_BAR_FILL);
  const Pixels corner = msk::test::SkinBitmap(BuiltIn(), IDB_BAR_TOP_LEFT);
  enum class Fill { InTheSet, Missing, NoBitmap };
  for (const Fill given : {Fill::InTheSet, Fill::Missing, Fill::NoBitmap}) {
    const bool fillMissing = given != Fill::InTheSet;
    SCOPED_TRACE(given == Fill::InTheSet  ? "the full set"
                 : given == Fill::Missing ? "without bar_fill.bmp"
                                          : "bar_fill.bmp that is no bitmap");
    ScratchFolder folder;
    WriteSwappedSkin(folder);
    if (given == Fill::Missing) {
      ASSERT_TRUE(::DeleteFileW(folder.Path(L"bar_fill.bmp").c_str()));
    } else if (given == Fill::NoBitmap) {
      const Tools::UniqueKernelHandle text(::CreateFileW(folder.Path(L"bar_fill.bmp").c_str(),
                                                         GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                         FILE_ATTRIBUTE_NORMAL, nullptr));
      DWORD written = 0;
      ASSERT_TRUE(::WriteFile(text.Get(), "not a picture", 13, &written, nullptr));
    }
    ASSERT_EQ(ui::UseSkinFolder(folder.Root()), L"");
    const Shown shown = ShowDownloadDialog(given == Fill::InTheSet  ? "skin-custom"
                                           : given == Fill::Missing ? "skin-without-fill"
                                                                    : "skin-fill-no-bitmap");
    ASSERT_TRUE(shown.dialog && shown.bar);
    int distinct = 0;  // sampled pixels where the folder's picture differs from ours
    for (int y = kBackgroundSample.top; y < kBackgroundSample.bottom; y += 7) {
      for (int x = kBackgroundSample.left; x < kBackgroundSample.right; x += 7) {
        if (background.At(x, y) != msk::test::Swapped(background.At(x, y))) ++distinct;
        ASSERT_EQ(shown.dialog->At(x, y), msk::test::Swapped(background.At(x, y)))
            << "background at " << x << "," << y;
      }
    }
    EXPECT_GT(distinct, 100);
    EXPECT_EQ(shown.bar->At(0, 0), msk::test::Swapped(corner.At(0, 0))) << "frame corner";
    for (int y = 2; y < 24; ++y) {
      const COLORREF ours = fill.At(0, y - 2);
      EXPECT_EQ(shown.bar->At(kFillColumn, y), fillMissing ? ours : msk::test::Swapped(ours))
          << "fill at row " << y;
    }
  }
}

// The connection-error dialog as the screen shows it; Cancel then ends it.
std::optional<Pixels> ShowErrorDialog() {
  std::optional<Pixels> shown;
  msk::test::DialogDriver driver(::GetCurrentThreadId(), [&](HWND dialog) {
    shown = SettledClient(dialog);
    msk::test::ClickButton(dialog, IDC_CANCEL_BUTTON);
  });
  EXPECT_FALSE(ui::RunErrorDialog());
  EXPECT_TRUE(driver.Finish().sawDialog);
  return shown;
}

void ExpectFaceColour(const Pixels& shown, const char* what) {
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  for (int y = kBackgroundSample.top; y < kBackgroundSample.bottom; ++y) {
    for (int x = kBackgroundSample.left; x < kBackgroundSample.right; ++x)
      ASSERT_EQ(shown.At(x, y), face) << what << " at " << x << "," << y;
  }
}

TEST_F(SkinPicturesTest, ThePlainLookShowsSystemColoursAndNoPictureOfOurs) {
  ui::UsePlainLook();
  const std::optional<Pixels> error = ShowErrorDialog();
  ASSERT_TRUE(error);
  ExpectFaceColour(*error, "the connection-error dialog");
  const Shown shown = ShowDownloadDialog("skin-plain");
  ASSERT_TRUE(shown.dialog && shown.bar);
  ExpectFaceColour(*shown.dialog, "the download dialog");
  const int width = shown.bar->Width();
  EXPECT_EQ(shown.bar->At(0, 0), ::GetSysColor(COLOR_BTNSHADOW)) << "the sunken edge";
  EXPECT_EQ(shown.bar->At(kFillColumn, 4), ::GetSysColor(COLOR_HIGHLIGHT)) << "filled";
  EXPECT_EQ(shown.bar->At(width - 8, 4), ::GetSysColor(COLOR_WINDOW)) << "unfilled";
}

}  // namespace
