#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "SimConfig.h"

namespace springtest::sim {

// Where each card's crosshead stood when the program last let the driver go. A real crosshead stays where
// it is while the program is off; the simulated one is put back there at the next start, so that the
// displacement the program saved and the machine still agree.
using CrossheadPositions = std::array<std::optional<double>, kMaxCards>;

// "simcard.state" in the folder of the configuration file; empty when there is no configuration file.
std::string crossheadStatePath(const std::string& configPath);

// The [crosshead] section's "card0 = 80.25" lines. A card whose line is missing or no number has no
// position, and starts where the configuration says.
CrossheadPositions parseCrossheadState(std::string_view text);
CrossheadPositions readCrossheadState(const std::string& path);

// Written beside the old file, flushed to the disk and renamed over it, so that a crash never leaves half
// a file. False when it could not be written.
bool writeCrossheadState(const std::string& path, const std::array<double, kMaxCards>& positions_mm);

}  // namespace springtest::sim
