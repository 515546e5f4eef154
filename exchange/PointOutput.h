// The point output without its window: a job's points as point lines, the
// grid cells they fill, and the point lines collected back from the grid.
// Writing them is writeExchangeFile (ExchangeFile.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vel {

class RecordAreaStore;

constexpr int kOutputGridRows = 3072;  // grid rows 1 to 3072; row 0 is the header

// One point line per PT, CRD and STN record of the job, in record order; other
// kinds, and records the store cannot deliver, give none.
std::vector<std::string> jobPointLines(RecordAreaStore& store, uint8_t slot);

// One grid row: name, N, E, Z, code.
using OutputRow = std::array<std::string, 5>;
std::vector<OutputRow> outputGridCells(const std::vector<std::string>& pointLines);

// rows[0] is grid row 1. Rows whose trimmed name, N or E is empty are left out
// and the rest close up. N, E and Z are taken as the cells hold them (a Z cell
// without any character is "0.000") and cut to 11 bytes; name and code go in as
// they are. Rows after the 3072nd are not looked at.
std::vector<std::string> collectGridLines(const std::vector<OutputRow>& rows);

}  // namespace vel
