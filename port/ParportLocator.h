#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferolith {

// The kernel lists each parallel port under <proc>/sys/dev/parport/parportN/
// with a file base-addr whose first number is the port's I/O base address
// in decimal; the device node of port N is <dev>/parportN.

// The first number of a base-addr line (decimal), or nothing when the text
// does not start with one that fits 32 bits.
std::optional<std::uint32_t> ParseBaseAddress(std::string_view text);

// A parallel port the kernel lists.
struct ListedParport {
  std::string name;    // parportN
  std::uint32_t base;  // I/O base address
  std::string device;  // <dev>/parportN
};

// Every port the kernel lists with a readable base address, by name.
std::vector<ListedParport> ListParports(const std::string& procRoot = "/proc",
                                        const std::string& devRoot = "/dev");

// The device node of the parallel port at I/O base `base`, or nothing.
std::optional<std::string> FindParportDevice(std::uint32_t base, const std::string& procRoot = "/proc",
                                             const std::string& devRoot = "/dev");

// True when the kernel lists a parallel port at I/O base `base`.
bool IsExistingParallelPort(std::uint32_t base, const std::string& procRoot = "/proc");

}  // namespace ferolith
