// Rights on Windows: port access comes from a driver, not from the user the
// program runs as; nothing to take on or give up.
#include "platform/Privileges.h"

namespace ferolith {

namespace {

class WindowsPrivileges final : public Privileges {
 public:
  void OpenPortThenDropRoot(const std::function<void()>& open) override { open(); }
  bool ActsForSudoUser() const override { return false; }
  bool RootWithoutSudo() const override { return false; }
  const std::string& Problem() const override { return problem_; }

 private:
  std::string problem_;
};

}  // namespace

std::unique_ptr<Privileges> TakePrivilegesAtStart() { return std::make_unique<WindowsPrivileges>(); }

}  // namespace ferolith
