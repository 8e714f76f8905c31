// The folder tree's node pictures: their pixel rows are well formed, the
// image list built from them draws exactly those pixels, and an enlarged
// sheet of all eight is written for a person to look at.
#include "tests/support/TestSupport.h"
#include "ui/UnitTree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char *const IconNames[8] = {"mailbox", "folder", "inbox", "outbox", "draft", "sent", "reminder", "trash"};

// A colour no palette letter has, so that a transparent pixel cannot be
// mistaken for a drawn one.
const COLORREF Background = RGB(212, 208, 200);

// A 32-bit top-down DIB section selected into its own memory DC.
class Canvas {
public:
  Canvas(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<DWORD *>(bits);
    if (dc_ && bitmap_)
      old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    if (old_)
      SelectObject(dc_, old_);
    if (bitmap_)
      DeleteObject(bitmap_);
    if (dc_)
      DeleteDC(dc_);
  }
  Canvas(const Canvas &) = delete;
  Canvas &operator=(const Canvas &) = delete;

  bool Ok() const { return old_ != nullptr && bits_ != nullptr; }
  HDC Dc() const { return dc_; }
  void Fill(COLORREF colour) {
    GdiFlush();
    for (int i = 0; i < width_ * height_; ++i)
      bits_[i] = Pixel(colour);
  }
  COLORREF At(int x, int y) const {
    GdiFlush();
    DWORD p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // Writes the canvas as a 24-bit bottom-up .bmp file.
  bool SaveBmp(const std::string &path) const {
    GdiFlush();
    int stride = (width_ * 3 + 3) & ~3;
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof ih;
    ih.biWidth = width_;
    ih.biHeight = height_;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = stride * height_;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + ih.biSizeImage;
    std::vector<unsigned char> data(ih.biSizeImage);
    for (int y = 0; y < height_; ++y) {
      unsigned char *row = &data[(height_ - 1 - y) * stride];
      for (int x = 0; x < width_; ++x) {
        DWORD p = bits_[y * width_ + x];
        row[x * 3] = p & 0xFF;
        row[x * 3 + 1] = (p >> 8) & 0xFF;
        row[x * 3 + 2] = (p >> 16) & 0xFF;
      }
    }
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
      return false;
    bool ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&ih, sizeof ih, 1, f) == 1 &&
              std::fwrite(data.data(), data.size(), 1, f) == 1;
    return std::fclose(f) == 0 && ok;
  }

private:
  static DWORD Pixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  DWORD *bits_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

} // namespace

TEST(Icons, EveryPictureIsSixteenRowsOfSixteenPaletteLettersOrTransparent) {
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(IconNames[i]);
    const char *const *rows = FolderIcons[i];
    ASSERT_TRUE(rows);
    int transparent = 0, opaque = 0;
    for (int y = 0; y < 16; ++y) {
      ASSERT_TRUE(rows[y]) << "row " << y;
      ASSERT_EQ(16u, std::strlen(rows[y])) << "row " << y;
      for (int x = 0; x < 16; ++x) {
        COLORREF c;
        char letter = rows[y][x];
        if (letter == '.')
          ++transparent;
        else if (forms::ImageList::PaletteColour(letter, c))
          ++opaque;
        else
          ADD_FAILURE() << "row " << y << " column " << x << ": '" << letter << "'";
      }
    }
    EXPECT_GT(transparent, 0);
    EXPECT_GT(opaque, 0);
  }
  // No two pictures are the same: each kind of node must be told apart.
  for (int i = 0; i < 8; ++i)
    for (int j = i + 1; j < 8; ++j) {
      bool same = true;
      for (int y = 0; y < 16 && same; ++y)
        same = std::strcmp(FolderIcons[i][y], FolderIcons[j][y]) == 0;
      EXPECT_FALSE(same) << IconNames[i] << " and " << IconNames[j];
    }
}

// Draws each image of the list over a background and compares every pixel
// with its row letter, then writes all eight enlarged eight times into
// icons.bmp beside the test program.
TEST(Icons, ImageListDrawsThePixelRowsAndTheSheetIsWritten) {
  forms::ImageList list({FolderIcons, FolderIcons + 8});
  ASSERT_EQ(8, list.Count());

  const int scale = 8, gap = 8, cell = 16 * scale;
  Canvas sheet(gap + 8 * (cell + gap), gap + cell + gap + 16 + gap);
  Canvas one(16, 16);
  ASSERT_TRUE(sheet.Ok());
  ASSERT_TRUE(one.Ok());
  sheet.Fill(Background);

  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(IconNames[i]);
    one.Fill(Background);
    ASSERT_TRUE(ImageList_Draw(list.Handle(), i, one.Dc(), 0, 0, ILD_TRANSPARENT));
    int wrong = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        COLORREF expected = Background;
        forms::ImageList::PaletteColour(FolderIcons[i][y][x], expected);
        COLORREF got = one.At(x, y);
        if (got != expected && wrong++ < 5)
          ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << got << ", not " << expected;
      }
    EXPECT_EQ(0, wrong);
    int left = gap + i * (cell + gap);
    ASSERT_TRUE(StretchBlt(sheet.Dc(), left, gap, cell, cell, one.Dc(), 0, 0, 16, 16, SRCCOPY));
    // The true size below the enlargement.
    ASSERT_TRUE(ImageList_Draw(list.Handle(), i, sheet.Dc(), left, gap + cell + gap, ILD_TRANSPARENT));
  }

  std::string path = testing_support::ProgramDir() + "icons.bmp";
  ASSERT_TRUE(sheet.SaveBmp(path)) << path;
  std::printf("node icons written to %s\n", path.c_str());
}
