#pragma once

#include <functional>
#include <memory>
#include <string>

namespace ferolith {

// Root's rights, kept only as long as the port needs them.
//
// Direct port I/O on Linux needs root (ioperm). A user who starts the
// program through sudo wants the port, not files of root: KALVENOR.INI,
// read-outs, logs and traces in the user's folder would belong to root, and
// later runs as the user could no longer save their settings. So a process
// that sudo started as root (SUDO_UID and SUDO_GID name the user) acts as
// that user from its first step on: its supplementary groups and its
// effective group and user are the user's, so every file it opens or creates
// is the user's, and root stays only in the saved user id. Start-up takes
// root back for the moment the port is opened and then gives it up for good.
// The port permission that ioperm granted survives the change of user.
class Privileges {
 public:
  virtual ~Privileges() = default;

  // Runs `open` (start-up opening the port) with root's rights when the
  // process was started with them; from then on a process started through
  // sudo has the user's rights only (real, effective and saved ids). Later
  // calls run `open` with the rights the process has.
  virtual void OpenPortThenDropRoot(const std::function<void()>& open) = 0;
  // True when the process acts for the user of a sudo (until the drop: root
  // in the real and saved ids, the user in the effective ones).
  virtual bool ActsForSudoUser() const = 0;
  // True when the process runs as root and nothing says for whom: the files
  // it writes belong to root.
  virtual bool RootWithoutSudo() const = 0;
  // Why the process could not take on the user's rights, as a German
  // message; empty when it could (or had nothing to do).
  virtual const std::string& Problem() const = 0;
};

// The process's own rights, taken on as described above. Call first thing in
// main, before any file is opened and before any other thread starts.
std::unique_ptr<Privileges> TakePrivilegesAtStart();

// The warning when port access goes through root's rights alone.
inline constexpr const char* kRootOwnsFilesWarning =
    "Achtung: Das Programm läuft als root, ohne dass SUDO_UID und SUDO_GID einen Benutzer nennen.\n"
    "Alle Dateien, die es anlegt oder schreibt (KALVENOR.INI, Auslesedateien, Protokolle,\n"
    "Ablaufdateien), gehören root. Besser mit sudo als der eigene Benutzer starten.";

}  // namespace ferolith
