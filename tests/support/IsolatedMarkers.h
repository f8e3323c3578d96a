#pragma once

#include <memory>
#include <set>
#include <string>

#include "platform/DesktopMarkers.h"

namespace ferolith::testing {

#ifdef _WIN32
// Marks seen by this process only. Windows marks are window titles of the
// whole desktop, and test programs run side by side.
class ProcessMarkers : public DesktopMarkers {
 public:
  bool Exists(const std::string& mark) override { return held_->count(mark) > 0; }
  std::unique_ptr<MarkerHold> Hold(const std::string& mark) override {
    struct Held : MarkerHold {
      Held(std::shared_ptr<std::multiset<std::string>> marks, std::string name)
          : held(std::move(marks)), mark(std::move(name)) {
        held->insert(mark);
      }
      ~Held() override { held->erase(held->find(mark)); }
      std::shared_ptr<std::multiset<std::string>> held;
      std::string mark;
    };
    return std::make_unique<Held>(held_, mark);
  }

 private:
  std::shared_ptr<std::multiset<std::string>> held_ = std::make_shared<std::multiset<std::string>>();
};
#endif

// Desktop markers that no other test sees: lock files in `directory`, or on
// Windows marks of this process.
inline std::unique_ptr<DesktopMarkers> IsolatedMarkers([[maybe_unused]] const std::string& directory) {
#ifdef _WIN32
  return std::make_unique<ProcessMarkers>();
#else
  return std::make_unique<LockFileMarkers>(directory);
#endif
}

}  // namespace ferolith::testing
