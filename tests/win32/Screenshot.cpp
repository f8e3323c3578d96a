#include "tests/win32/Screenshot.h"

#include <utility>
#include <fstream>
#include <vector>

#include "tests/win32/WindowProbe.h"

namespace ferolith::driver {

namespace {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<char> pixels;  // 24-bit rows, bottom-up, each padded to 4 bytes
  BITMAPINFOHEADER header{};
};

Picture CaptureScreen(const RECT& area) {
  Picture picture;
  picture.width = area.right - area.left;
  picture.height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, picture.width, picture.height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, picture.width, picture.height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, previous);
  BITMAPINFOHEADER& header = picture.header;
  header.biSize = sizeof header;
  header.biWidth = picture.width;
  header.biHeight = picture.height;  // bottom-up, as BMP files store it
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const int stride = (picture.width * 3 + 3) & ~3;
  picture.pixels.resize(static_cast<std::size_t>(stride) * static_cast<std::size_t>(picture.height));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(picture.height), picture.pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return picture;
}

}  // namespace

void SaveWindowPicture(HWND window, const std::filesystem::path& file, HWND alsoShown) {
  RECT area;
  GetWindowRect(window, &area);
  if (alsoShown != nullptr) {
    RECT other;
    GetWindowRect(alsoShown, &other);
    UnionRect(&area, &area, &other);
  }
  // Painted anew, then taken once the screen shows the same picture for
  // ten polls in a row: the X server gets the window's pixels a little
  // after the program painted them.
  for (HWND shown : {window, alsoShown}) {
    if (shown != nullptr) {
      RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
  }
  Picture picture = CaptureScreen(area);
  int stable = 0;
  WaitUntil("a steady picture of " + file.filename().string(), [&] {
    Picture next = CaptureScreen(area);
    stable = next.pixels == picture.pixels ? stable + 1 : 0;
    picture = std::move(next);
    return stable >= 10;
  });

  BITMAPFILEHEADER fileHeader{};
  fileHeader.bfType = 0x4D42;  // "BM"
  fileHeader.bfOffBits = sizeof fileHeader + sizeof picture.header;
  fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(picture.pixels.size());
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
  out.write(reinterpret_cast<const char*>(&picture.header), sizeof picture.header);
  out.write(picture.pixels.data(), static_cast<std::streamsize>(picture.pixels.size()));
  Require(out.good(), "picture " + file.string() + " written");
}

}  // namespace ferolith::driver
