// Start-up's album step, which joins storage and display: folders and
// default albums, each album decoded, the monitors mapped, the boards
// settled and their tiles cut, the temporary folder. Returns the first
// failure; the caller decides whether it ends the program.
#pragma once
#include "base/ErrorCodes.h"

namespace quorvel {

[[nodiscard]] Status PrepareAlbums();
// One album's folder settled (PrepareAlbumFolder), and its slot told which
// folder that is, how many photos it holds and of which type.
[[nodiscard]] Status PrepareAlbumSlot(int album);
// The first-time copy into the per-user folder, then the album step.
[[nodiscard]] Status RunFirstTimeSetup();

}  // namespace quorvel
