// Rights on POSIX systems: a process that sudo started as root acts as the
// user who ran sudo, and gives root up for good once the port is open.
#include "platform/Privileges.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include "core/TextFormat.h"

namespace ferolith {

namespace {

// A user or group id as sudo writes it: decimal digits only.
std::optional<unsigned> IdFromEnvironment(const char* name) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return std::nullopt;
  const std::string_view digits(text);
  unsigned id = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return id;
}

// The user's supplementary groups as the group database lists them, its
// own group first; just that one when the user has no entry there.
std::vector<gid_t> GroupsOf(uid_t user, gid_t group) {
  const passwd* entry = ::getpwuid(user);
  if (entry == nullptr) return {group};
  std::vector<gid_t> groups(16);
  for (;;) {
    int count = static_cast<int>(groups.size());
    if (::getgrouplist(entry->pw_name, group, groups.data(), &count) >= 0) {
      groups.resize(static_cast<std::size_t>(count));
      return groups;
    }
    groups.resize(static_cast<std::size_t>(count) > groups.size() ? static_cast<std::size_t>(count)
                                                                  : 2 * groups.size());
  }
}

class PosixPrivileges final : public Privileges {
 public:
  enum class Start { AsUser, ForSudoUser, RootAlone };

  PosixPrivileges(Start start, uid_t user, gid_t group) : start_(start), user_(user), group_(group) {
    if (start_ != Start::ForSudoUser) return;
    const std::vector<gid_t> groups = GroupsOf(user_, group_);
    // The groups first: only root may set them, and it stops being root
    // in the effective ids with the last step.
    if (::setgroups(groups.size(), groups.data()) != 0 || ::setegid(group_) != 0 || ::seteuid(user_) != 0) {
      problem_ = FormatText(
          "Das Programm kann die Rechte des Benutzers %u (Gruppe %u) nicht annehmen: %s.\n\n"
          "Es startet nicht, damit es keine Dateien als root anlegt.",
          static_cast<unsigned>(user_), static_cast<unsigned>(group_), std::strerror(errno));
    }
  }

  void OpenPortThenDropRoot(const std::function<void()>& open) override {
    if (start_ != Start::ForSudoUser || dropped_) {
      open();
      return;
    }
    dropped_ = true;
    // Root again for the port alone. The effective group stays the user's:
    // nothing the port's opening creates is given root's group.
    const bool root = ::seteuid(0) == 0;
    open();
    uid_t real = 0;
    uid_t effective = 0;
    uid_t saved = 0;
    gid_t realGroup = 0;
    gid_t effectiveGroup = 0;
    gid_t savedGroup = 0;
    const bool droppedForGood =
        root && ::setresgid(group_, group_, group_) == 0 && ::setresuid(user_, user_, user_) == 0 &&
        ::getresuid(&real, &effective, &saved) == 0 && ::getresgid(&realGroup, &effectiveGroup, &savedGroup) == 0 &&
        real == user_ && effective == user_ && saved == user_ && realGroup == group_ && effectiveGroup == group_ &&
        savedGroup == group_;
    if (!droppedForGood) {
      // Going on with root in any of the ids would undo what the start did.
      const std::string text = std::string("ferolith: die Rechte von root lassen sich nicht abgeben: ") +
                               std::strerror(errno) + "\n";
      static_cast<void>(!::write(STDERR_FILENO, text.data(), text.size()));
      std::_Exit(77);
    }
  }

  bool ActsForSudoUser() const override { return start_ == Start::ForSudoUser && !dropped_; }
  bool RootWithoutSudo() const override { return start_ == Start::RootAlone; }
  const std::string& Problem() const override { return problem_; }

 private:
  Start start_;
  uid_t user_;
  gid_t group_;
  bool dropped_ = false;
  std::string problem_;
};

}  // namespace

std::unique_ptr<Privileges> TakePrivilegesAtStart() {
  using Start = PosixPrivileges::Start;
  if (::getuid() != 0 || ::geteuid() != 0) return std::make_unique<PosixPrivileges>(Start::AsUser, 0, 0);
  const std::optional<unsigned> user = IdFromEnvironment("SUDO_UID");
  const std::optional<unsigned> group = IdFromEnvironment("SUDO_GID");
  // sudo from root to root leaves nobody else to act for.
  if (!user || !group || *user == 0) return std::make_unique<PosixPrivileges>(Start::RootAlone, 0, 0);
  return std::make_unique<PosixPrivileges>(Start::ForSudoUser, static_cast<uid_t>(*user),
                                           static_cast<gid_t>(*group));
}

}  // namespace ferolith
