#pragma once

namespace ferolith {

// The numbers of the resources in ferolith.rc.
namespace Resource {
inline constexpr int AppIcon = 130;
inline constexpr int MainDialog = 102;
inline constexpr int PrefsDialog = 134;
inline constexpr int ActivityDialog = 137;
}  // namespace Resource

}  // namespace ferolith
