#include <gtest/gtest.h>

#include <filesystem>

#include "port/ParportLocator.h"
#include "port/PpdevPort.h"
#include "tests/support/TempDir.h"
#include "tests/unit/port/FakePpdev.h"

namespace ferolith {
namespace {

using testing::FakePpdev;
using testing::TempDir;

// Lays out <root>/proc/sys/dev/parport/<name>/base-addr for each port.
void AddPort(const TempDir& root, const std::string& name, const std::string& baseAddr) {
  const auto dir = root.Path() / "proc/sys/dev/parport" / name;
  std::filesystem::create_directories(dir);
  testing::WriteFileBytes((dir / "base-addr").string(), baseAddr);
}

TEST(ParportLocator, ParsesTheFirstDecimalNumberOfTheLine) {
  EXPECT_EQ(ParseBaseAddress("888\t1912\n"), 888u);
  EXPECT_EQ(ParseBaseAddress("  632 1656"), 632u);
  EXPECT_EQ(ParseBaseAddress("4294967295"), 4294967295u);
  EXPECT_EQ(ParseBaseAddress("4294967296"), std::nullopt);
  EXPECT_EQ(ParseBaseAddress("0x378"), std::nullopt) << "the kernel writes decimal";
  EXPECT_EQ(ParseBaseAddress(""), std::nullopt);
  EXPECT_EQ(ParseBaseAddress("\n888"), std::nullopt);
  EXPECT_EQ(ParseBaseAddress("-1"), std::nullopt);
}

TEST(ParportLocator, MapsTheBaseAddressToItsDeviceNode) {
  TempDir root;
  AddPort(root, "parport0", "888\t1912\n");  // 0x378
  AddPort(root, "parport1", "632\t-1\n");    // 0x278
  AddPort(root, "parport2", "garbage\n");
  std::filesystem::create_directories(root.Path() / "proc/sys/dev/parport/default");
  const std::string proc = root.File("proc");
  const std::string dev = root.File("dev");

  EXPECT_EQ(FindParportDevice(0x378, proc, dev), dev + "/parport0");
  EXPECT_EQ(FindParportDevice(0x278, proc, dev), dev + "/parport1");
  EXPECT_EQ(FindParportDevice(0x3BC, proc, dev), std::nullopt);
  EXPECT_TRUE(IsExistingParallelPort(888, proc));
  EXPECT_FALSE(IsExistingParallelPort(0x378, root.File("nothing-here")));
  EXPECT_FALSE(IsExistingParallelPort(0, proc));
}

TEST(ParportLocator, ListsThePortsInTheOrderOfTheirNumbers) {
  TempDir root;
  for (const char* name : {"parport10", "parport2", "parport1", "parport010", "parport0"}) {
    AddPort(root, name, "888\n");
  }
  std::vector<std::string> names;
  for (const ListedParport& port : ListParports(root.File("proc"), root.File("dev"))) names.push_back(port.name);
  EXPECT_EQ(names, (std::vector<std::string>{"parport0", "parport1", "parport2", "parport010", "parport10"}));
  // Two ports at one address: the lower number is the one found.
  EXPECT_EQ(FindParportDevice(888, root.File("proc"), root.File("dev")), root.File("dev") + "/parport0");
}

struct PpdevRig {
  static constexpr std::uint16_t kBase = 0x378;
  sim::VirtualProgrammer programmer{kBase};
  FakePpdev calls{"/dev/parport0", programmer, kBase};
};

TEST(PpdevPort, OpenClaimsAndTheDestructorReleases) {
  PpdevRig rig;
  std::string error;
  {
    auto port = PpdevPort::Open("/dev/parport0", PpdevRig::kBase, rig.calls, error);
    ASSERT_NE(port, nullptr) << error;
    EXPECT_TRUE(rig.calls.Claimed());
    EXPECT_EQ(rig.calls.OpenDescriptors(), 1);
  }
  EXPECT_FALSE(rig.calls.Claimed());
  EXPECT_EQ(rig.calls.OpenDescriptors(), 0);

  EXPECT_EQ(PpdevPort::Open("/dev/parport7", PpdevRig::kBase, rig.calls, error), nullptr);
  EXPECT_NE(error.find("/dev/parport7"), std::string::npos);
}

TEST(PpdevPort, FailingOpenOrClaimLeavesNothingOpen) {
  for (const int failing : {1, 2}) {
    PpdevRig rig;
    rig.calls.FailCall(failing, failing == 1 ? EACCES : EBUSY);
    std::string error;
    EXPECT_EQ(PpdevPort::Open("/dev/parport0", PpdevRig::kBase, rig.calls, error), nullptr);
    EXPECT_EQ(rig.calls.OpenDescriptors(), 0);
    EXPECT_FALSE(rig.calls.Claimed());
    EXPECT_NE(error.find(failing == 1 ? "Permission denied" : "PPCLAIM"), std::string::npos) << error;
  }
}

TEST(PpdevPort, OffsetsBecomeTheDataStatusAndControlRequests) {
  PpdevRig rig;
  std::string error;
  auto port = PpdevPort::Open("/dev/parport0", PpdevRig::kBase, rig.calls, error);
  ASSERT_NE(port, nullptr);
  port->Write(PpdevRig::kBase, 0x5A);
  port->Write(PpdevRig::kBase + 2, 0x0A);
  port->Read(PpdevRig::kBase + 1);
  EXPECT_EQ(port->Read(PpdevRig::kBase + 2), 0x0A);
  EXPECT_EQ(port->Read(PpdevRig::kBase), 0x5A);
  port->Write(PpdevRig::kBase + 1, 0xFF);  // status is read-only: no request
  port->Write(PpdevRig::kBase + 3, 0xFF);  // not this port
  EXPECT_EQ(port->Read(PpdevRig::kBase - 1), 0xFF);
  const std::vector<unsigned long> expected = {PPCLAIM, PPWDATA, PPWCONTROL, PPRSTATUS, PPRCONTROL, PPRDATA};
  EXPECT_EQ(rig.calls.Requests(), expected);
  EXPECT_EQ(port->LastError(), 0);
  EXPECT_TRUE(rig.programmer.Violations().empty());

  // A failing transfer reads as floating lines and is remembered.
  rig.calls.FailCall(1, EIO);
  EXPECT_EQ(port->Read(PpdevRig::kBase + 2), 0xFF);
  EXPECT_EQ(port->LastError(), EIO);
  EXPECT_EQ(port->Read(PpdevRig::kBase + 2), 0x0A);
}

}  // namespace
}  // namespace ferolith
