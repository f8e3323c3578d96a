#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/Settings.h"
#include "link/RegisterLink.h"
#include "sim/VirtualProgrammer.h"
#include "tests/support/ScriptedUi.h"

namespace ferolith::testing {

// A register link wired to a virtual programmer with its trace on, and a
// scripted UI that records the boxes. The programmer must record no
// violation of the protocol.
struct SimulatedLink {
  static constexpr std::uint16_t kBase = 0x378;
  static constexpr std::uint16_t kStatus = kBase + 1;
  static constexpr std::uint16_t kControl = kBase + 2;

  Settings settings = MakeSettings();
  ScriptedUi ui;
  sim::VirtualProgrammer programmer{kBase};
  RegisterLink link{programmer, ui, settings};

  SimulatedLink() { programmer.EnableTrace(true); }
  ~SimulatedLink() { EXPECT_EQ(programmer.Violations(), std::vector<std::string>{}); }
  SimulatedLink(const SimulatedLink&) = delete;
  SimulatedLink& operator=(const SimulatedLink&) = delete;

  static Settings MakeSettings() {
    Settings s;
    s.SetPortAdress(kBase);
    s.TimeOut = 10000;
    return s;
  }

  int TimeoutMessages() const { return ui.Count(ScriptedUi::Kind::Info); }

  std::size_t StatusReads() const {
    std::size_t reads = 0;
    for (const auto& access : programmer.Trace()) {
      reads += access.kind == sim::PortAccess::Kind::Read && access.address == kStatus ? 1 : 0;
    }
    return reads;
  }

  // The values the programmer took into register `reg`, in order.
  std::vector<std::uint8_t> ValuesOf(int reg) const {
    std::vector<std::uint8_t> values;
    for (const auto& write : programmer.RegisterLog()) {
      if (write.reg == reg) values.push_back(write.value);
    }
    return values;
  }
};

}  // namespace ferolith::testing
