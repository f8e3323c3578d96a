#include "tests/support/FakeParportBus.h"

#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <string>

#include "tests/support/TempDir.h"

namespace ferolith::testing {

FakeParportBus::FakeParportBus(std::string root) : root_(std::move(root)) {
  const auto backends = PortBackends();
  std::copy_if(backends.begin(), backends.end(), std::back_inserter(backends_),
               [](const PortBackend& backend) { return std::string(backend.id) == "ppdev"; });
}

void FakeParportBus::AddPort(std::uint16_t base, PortIo& hardware, int openError, int claimError) {
  const std::string name = "parport" + std::to_string(nodes_.size());
  const std::filesystem::path listing = std::filesystem::path(root_) / "proc/sys/dev/parport" / name;
  std::filesystem::create_directories(listing);
  std::filesystem::create_directories(std::filesystem::path(root_) / "dev");
  // The kernel writes the base address in decimal, followed by the high one.
  WriteFileBytes((listing / "base-addr").string(), std::to_string(base) + "\t" + std::to_string(base + 0x400) + "\n");
  nodes_[root_ + "/dev/" + name] = Port{base, &hardware, openError, claimError};
}

PortAccessEnvironment FakeParportBus::Environment() const {
  return {root_ + "/proc", root_ + "/dev", const_cast<FakeParportBus*>(this), backends_};
}

std::vector<std::uint16_t> FakeParportBus::OpenNow() const {
  std::vector<std::uint16_t> open;
  for (const auto& [path, port] : nodes_) {
    if (port.open) open.push_back(port.base);
  }
  return open;
}

int FakeParportBus::Open(const char* path, int) {
  const auto node = nodes_.find(path);
  if (node == nodes_.end()) {
    errno = ENOENT;
    return -1;
  }
  if (node->second.open || node->second.openError != 0) {
    errno = node->second.open ? EBUSY : node->second.openError;
    return -1;
  }
  node->second.open = true;
  opened_.push_back(node->second.base);
  descriptors_[nextFd_] = node->first;
  return nextFd_++;
}

int FakeParportBus::Ioctl(int fd, unsigned long request, void* argument) {
  const auto descriptor = descriptors_.find(fd);
  if (descriptor == descriptors_.end()) {
    errno = EBADF;
    return -1;
  }
  Port& port = nodes_.at(descriptor->second);
  auto* byte = static_cast<std::uint8_t*>(argument);
  const auto at = [&port](int offset) { return static_cast<std::uint16_t>(port.base + offset); };
  switch (request) {
    case PPCLAIM:
      if (port.claimError != 0) {
        errno = port.claimError;
        return -1;
      }
      port.claimed = true;
      return 0;
    case PPRELEASE: port.claimed = false; return 0;
    default: break;
  }
  if (!port.claimed) {
    errno = EINVAL;
    return -1;
  }
  switch (request) {
    case PPWDATA: port.hardware->Write(at(0), *byte); return 0;
    case PPRDATA: *byte = port.hardware->Read(at(0)); return 0;
    case PPRSTATUS: *byte = port.hardware->Read(at(1)); return 0;
    case PPWCONTROL: port.hardware->Write(at(2), *byte); return 0;
    case PPRCONTROL: *byte = port.hardware->Read(at(2)); return 0;
    default: errno = ENOTTY; return -1;
  }
}

int FakeParportBus::MayReadWrite(const char* path) {
  const auto node = nodes_.find(path);
  errno = node == nodes_.end() ? ENOENT : node->second.openError;
  return errno == 0 ? 0 : -1;
}

int FakeParportBus::Close(int fd) {
  const auto descriptor = descriptors_.find(fd);
  if (descriptor == descriptors_.end()) {
    errno = EBADF;
    return -1;
  }
  nodes_.at(descriptor->second).open = false;
  descriptors_.erase(descriptor);
  return 0;
}

}  // namespace ferolith::testing
