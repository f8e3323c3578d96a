#pragma once

#include <string_view>

#include "core/DataFormat.h"

namespace ferolith {

// The names by which scripts and project files name the data formats.
struct DataFormatName {
  std::string_view name;
  DataFormat format;
};

inline constexpr DataFormatName kDataFormatNames[] = {
    {"bin", DataFormat::Binary},      {"intel8", DataFormat::Intel8},
    {"intel32", DataFormat::Intel32}, {"intelmcs", DataFormat::IntelMCS},
    {"s1", DataFormat::MotorolaS1},   {"s2", DataFormat::MotorolaS2},
    {"s3", DataFormat::MotorolaS3},
};

// The format of a name ("bin", "intel8", ...); Undecided for any other word.
constexpr DataFormat DataFormatNamed(std::string_view name) {
  for (const DataFormatName& entry : kDataFormatNames) {
    if (entry.name == name) return entry.format;
  }
  return DataFormat::Undecided;
}

// The name of a format; empty for Undecided.
constexpr std::string_view NameOfDataFormat(DataFormat format) {
  for (const DataFormatName& entry : kDataFormatNames) {
    if (entry.format == format) return entry.name;
  }
  return {};
}

}  // namespace ferolith
