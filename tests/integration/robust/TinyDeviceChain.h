#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/ChainFixture.h"

namespace ferolith::testing {

// The chain fixture with a device of four code bytes and four data EEPROM
// bytes, so that a whole Brennen takes a few thousand register writes and a
// fault can be injected at each of them.
class TinyDeviceChain : public ChainTest {
 protected:
  static constexpr std::uint32_t kDataStart = 0xF000;

  // Starts the program (Verify as given, more lines of the program's
  // section in `programIni`) with the tiny device selected and burn files
  // for both areas.
  void StartTiny(bool verify, const std::string& programIni = "");

  // One Brennen with the socket box answered OK and every later box by
  // `answer`; returns its result.
  ResultCode Brennen(Answer answer = Answer::Cancel);

  std::vector<std::uint8_t> code_{0x12, 0x34, 0x56, 0x78};
  std::vector<std::uint8_t> data_{0x9A, 0xBC, 0xDE, 0xF0};
};

}  // namespace ferolith::testing
