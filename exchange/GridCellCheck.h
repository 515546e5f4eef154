// What the import and output grids do with a cell the selection leaves after
// it has been typed into.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vel {

// Name and code cells: the trimmed text cut to its first 8 bytes when longer,
// otherwise the cell as it was.
std::string checkTextCell(std::string_view cell);

// Coordinate cells: nothing when the value of the trimmed text is below
// -1000000 or above 10000000 (the move is refused and the text kept);
// otherwise the value in general notation (12.50 gives 12.5, a lone "-" 0).
// A cell that is empty once trimmed stays as it was.
std::optional<std::string> checkCoordinateCell(std::string_view cell);

}  // namespace vel
