#include "win32/WindowMarkers.h"

#include "platform/WideText.h"

namespace ferolith {

bool WindowMarkers::Exists(const std::string& mark) {
  return FindWindowW(nullptr, WideFromUtf8(mark).c_str()) != nullptr;
}

std::unique_ptr<MarkerHold> WindowMarkers::Hold(const std::string&) {
  return std::make_unique<MarkerHold>();
}

}  // namespace ferolith
