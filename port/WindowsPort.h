#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "port/PortIo.h"

namespace ferolith {

// Direct port instructions on Windows (the compiler intrinsics __inbyte and
// __outbyte). The 95 family lets every process use them; the NT family only
// a process that the giveio driver has granted port access. Only the three
// addresses base..base + 2 are touched.
class WindowsPort final : public PortIo {
 public:
  // Nullptr with `error` set when this process may not use port
  // instructions (an NT-family system without the giveio driver, which is
  // every 64-bit Windows): an instruction would end the program.
  static std::unique_ptr<WindowsPort> Open(std::uint16_t base, std::string& error);

  std::uint8_t Read(std::uint16_t address) override;
  void Write(std::uint16_t address, std::uint8_t value) override;

 private:
  explicit WindowsPort(std::uint16_t base) : base_(base) {}
  bool Owns(std::uint16_t address) const { return address >= base_ && address - base_ < 3; }
  std::uint16_t base_;
};

// The parallel port through the port-I/O DLL of a signed port driver that
// the user has installed ("inpoutx64.dll" for 64-bit programs, "inpout32.dll"
// for 32-bit ones), loaded at run time. Its functions Inp32 and Out32 read
// and write one I/O port; IsInpOutDriverOpen tells whether its driver runs.
// Nothing of it ships with this program. Only base..base + 2 are touched.
class InpOutPort final : public PortIo {
 public:
  // The DLL's file name for this build.
  static const char* LibraryName();

  // Loads the DLL of LibraryName() from the program's own folder, else
  // from the system's DLL folder, never from anywhere else (a DLL of that
  // name in the working folder would run with the program's rights).
  // Nullptr with `error` set when neither holds it or Open refuses it.
  static std::unique_ptr<InpOutPort> OpenInstalled(std::uint16_t base, std::string& error);
  // Loads the DLL at the full path `library`; a bare name is refused, since
  // the system would search for it. Nullptr with `error` set when it cannot
  // be loaded, lacks one of the three functions, or its driver is not open.
  static std::unique_ptr<InpOutPort> Open(std::uint16_t base, const std::string& library,
                                          std::string& error);
  ~InpOutPort() override;
  InpOutPort(const InpOutPort&) = delete;
  InpOutPort& operator=(const InpOutPort&) = delete;

  std::uint8_t Read(std::uint16_t address) override;
  void Write(std::uint16_t address, std::uint8_t value) override;

 private:
  using ReadFunction = short(__stdcall*)(short);
  using WriteFunction = void(__stdcall*)(short, short);

  InpOutPort(void* module, ReadFunction read, WriteFunction write, std::uint16_t base)
      : module_(module), read_(read), write_(write), base_(base) {}
  bool Owns(std::uint16_t address) const { return address >= base_ && address - base_ < 3; }

  void* module_;
  ReadFunction read_;
  WriteFunction write_;
  std::uint16_t base_;
};

// True on a 64-bit Windows, also for a 32-bit program running there: its
// kernel loads no unsigned driver such as giveio.
bool Is64BitWindows();

}  // namespace ferolith
