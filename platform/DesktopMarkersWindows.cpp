// Desktop-wide marks on Windows: a top-level window with the mark as its
// title, found by title from any process of the desktop, as the other
// programs of the family look for it. The system destroys the window with
// its process, so a mark cannot outlive a program that crashed.
#include <windows.h>

#include "platform/DesktopMarkers.h"

namespace ferolith {

namespace {

// A hidden top-level window that carries the mark's title while it lives.
class TitleHold : public MarkerHold {
 public:
  explicit TitleHold(const std::string& title)
      : window_(CreateWindowExA(0, "STATIC", title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr)) {}
  ~TitleHold() override {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  TitleHold(const TitleHold&) = delete;
  TitleHold& operator=(const TitleHold&) = delete;

 private:
  HWND window_;
};

class WindowTitleMarkers : public DesktopMarkers {
 public:
  bool Exists(const std::string& mark) override {
    return FindWindowA(nullptr, mark.c_str()) != nullptr;
  }
  std::unique_ptr<MarkerHold> Hold(const std::string& mark) override {
    return std::make_unique<TitleHold>(mark);
  }
};

}  // namespace

std::unique_ptr<DesktopMarkers> MakeDesktopMarkers(std::string&) {
  return std::make_unique<WindowTitleMarkers>();
}

}  // namespace ferolith
