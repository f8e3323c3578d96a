#include "app/SimulationFileCheck.h"

#include "core/TextFormat.h"
#include "sim/chip/ChipContents.h"

namespace ferolith {

std::optional<std::string> SimulationFileRefusal(const std::string& path) {
  if (sim::InspectContentsFile(path) != sim::ContentsFileKind::Foreign) return std::nullopt;
  return FormatText("'%s' ist keine Simulationsdatei (ihre erste Zeile ist nicht \"%s\") und wird nicht "
                    "überschrieben",
                    path.c_str(), std::string(sim::kContentsHeader).c_str());
}

}  // namespace ferolith
