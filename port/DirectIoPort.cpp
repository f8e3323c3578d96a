#include "port/DirectIoPort.h"

#include <sys/io.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ferolith {

namespace {
constexpr unsigned long kPortCount = 3;
}

std::unique_ptr<DirectIoPort> DirectIoPort::Open(std::uint16_t base, std::string& error) {
  if (ioperm(base, kPortCount, 1) != 0) {
    char text[64];
    std::snprintf(text, sizeof text, "ioperm 0x%X: ", static_cast<unsigned>(base));
    error = std::string(text) + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<DirectIoPort>(new DirectIoPort(base));
}

DirectIoPort::~DirectIoPort() { ioperm(base_, kPortCount, 0); }

std::uint8_t DirectIoPort::Read(std::uint16_t address) { return Owns(address) ? inb(address) : 0xFF; }

void DirectIoPort::Write(std::uint16_t address, std::uint8_t value) {
  if (Owns(address)) outb(value, address);
}

}  // namespace ferolith
