#pragma once

#include <memory>
#include <span>
#include <string>

#include "core/Settings.h"
#include "core/UiServices.h"
#include "hardware/PortBackends.h"
#include "hardware/PortIo.h"

namespace ferolith {

// The port as start-up obtained it. An empty `port` means no access: demo
// mode has been set and the user told why.
struct PortAccess {
  std::unique_ptr<PortIo> port;
  std::string backendId;
  std::string device;
  // Windows: the Service Control Manager handle, kept open for the run.
  std::shared_ptr<void> serviceManager;
};

// Where PreparePortAccess looks; tests replace the roots, the system calls
// and the list of backends.
struct PortAccessEnvironment {
  std::string procRoot = "/proc";
  std::string devRoot = "/dev";
  PosixCalls* calls = nullptr;
  std::span<const PortBackend> backends = PortBackends();
};

// Obtains access to the parallel port at settings.PortAdress once at
// start-up and sets `osId`. On Windows: identifies the system and, on the
// NT family, makes sure the giveio driver grants port access (installing and
// starting its service if needed). On Linux: OsId 0; the backends are tried
// in order (ppdev, then direct I/O). When no access can be had, `demoMode`
// is set to 1 after a message. DebugNT shows diagnostic boxes.
PortAccess PreparePortAccess(const Settings& settings, UiServices& ui, int& demoMode, unsigned& osId,
                             const PortAccessEnvironment& environment = {});

}  // namespace ferolith
