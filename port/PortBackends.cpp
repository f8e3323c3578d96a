#include "port/PortBackends.h"

#include <array>
#include <cstdio>

#include "port/StandardIoMap.h"

#if defined(__linux__)
#include "port/ParportLocator.h"
#include "port/PpdevPort.h"
#endif
#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#define FEROLITH_HAS_DIRECT_IO 1
#include "port/DirectIoPort.h"
#endif
#if defined(_WIN32)
#include "port/WindowsPort.h"
#endif

namespace ferolith {

namespace {

#if defined(FEROLITH_HAS_DIRECT_IO) || defined(_WIN32)
// Raw port I/O goes only where a parallel port may be; ppdev needs no such
// check, the kernel lists only real ports.
bool RefusedForRawAccess(const PortRequest& request, OpenedPort& opened) {
  opened.error = RawPortRefusal(request.base, request.procRoot);
  return !opened.error.empty();
}
#endif

#if defined(__linux__)
OpenedPort OpenPpdev(const PortRequest& request) {
  OpenedPort opened;
  const auto device = FindParportDevice(request.base, request.procRoot, request.devRoot);
  if (!device) {
    char text[96];
    std::snprintf(text, sizeof text, "keine Schnittstelle mit Basisadresse 0x%X (parport_pc geladen?)",
                  static_cast<unsigned>(request.base));
    opened.error = text;
    return opened;
  }
  PosixCalls& calls = request.calls != nullptr ? *request.calls : SystemPosixCalls();
  opened.port = PpdevPort::Open(*device, request.base, calls, opened.error, &opened.busy);
  if (opened.port) opened.device = *device;
  return opened;
}
#endif

#if defined(FEROLITH_HAS_DIRECT_IO)
OpenedPort OpenDirectIo(const PortRequest& request) {
  OpenedPort opened;
  if (RefusedForRawAccess(request, opened)) return opened;
  opened.port = DirectIoPort::Open(request.base, opened.error);
  if (opened.port) opened.device = "ioperm";
  return opened;
}
#endif

#if defined(_WIN32)
OpenedPort OpenWindowsPort(const PortRequest& request) {
  OpenedPort opened;
  if (RefusedForRawAccess(request, opened)) return opened;
  opened.port = WindowsPort::Open(request.base, opened.error);
  if (opened.port) opened.device = "__inbyte/__outbyte";
  return opened;
}

OpenedPort OpenInpOut(const PortRequest& request) {
  OpenedPort opened;
  if (RefusedForRawAccess(request, opened)) return opened;
  opened.port = InpOutPort::OpenInstalled(request.base, opened.error);
  if (opened.port) opened.device = InpOutPort::LibraryName();
  return opened;
}
#endif

constexpr std::array kBackends = {
#if defined(__linux__)
    PortBackend{"ppdev", &OpenPpdev, "Linux ppdev (/dev/parportN), ohne root für die Gruppe lp"},
#endif
#if defined(FEROLITH_HAS_DIRECT_IO)
    PortBackend{"direct", &OpenDirectIo, "direkte Portbefehle nach ioperm (nur root)"},
#endif
#if defined(_WIN32)
    PortBackend{"direct", &OpenWindowsPort, "direkte Portbefehle (NT: nach giveio, nur 32-Bit-Windows)"},
    PortBackend{"inpout", &OpenInpOut, "Port-DLL eines installierten signierten Treibers (inpoutx64.dll/inpout32.dll)"},
#endif
};

}  // namespace

std::span<const PortBackend> PortBackends() { return kBackends; }

}  // namespace ferolith
