// Two hostile inputs of the hardware layer: the base-addr text the kernel
// lists for a parallel port, and arbitrary port traffic into the virtual
// programmer. The first byte chooses which.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "port/ParportLocator.h"
#include "sim/VirtualProgrammer.h"

namespace {

void CheckBaseAddress(std::string_view text) {
  const auto value = ferolith::ParseBaseAddress(text);
  if (!value) return;
  // A parsed number must be the leading digits of the text.
  std::size_t pos = text.find_first_not_of(" \t");
  if (pos == std::string_view::npos || text[pos] < '0' || text[pos] > '9') std::abort();
}

void DriveProgrammer(const std::uint8_t* data, std::size_t size) {
  constexpr std::uint16_t kBase = 0x278;
  ferolith::sim::VirtualProgrammer programmer(kBase);
  programmer.EnableTrace(true);
  std::size_t writes = 0;
  for (std::size_t i = 0; i + 2 < size; i += 3) {
    const auto address = static_cast<std::uint16_t>(kBase - 1 + (data[i] & 0x07));
    if (data[i] & 0x80) {
      programmer.Read(address);
    } else {
      programmer.Write(address, data[i + 1]);
      ++writes;
    }
    if (data[i] & 0x40) programmer.SetAnswerAfterReads(data[i + 2] & 0x0F);
  }
  // Nothing in the socket and no fault: the inputs follow register 10, and
  // every register taken needs a control write.
  if (programmer.InputLines() != programmer.Register(10)) std::abort();
  if (programmer.RegisterWrites() > writes) std::abort();
  if (programmer.RegisterLog().size() != programmer.RegisterWrites()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  if (data[0] & 1) {
    DriveProgrammer(data + 1, size - 1);
  } else {
    CheckBaseAddress(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  }
  return 0;
}
