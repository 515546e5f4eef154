// The coordinate import without its window: a file becomes at most 3072 point
// lines, the point lines become grid cells, and the confirmed grid rows become
// PT records handed to the caller's store operation.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/FormatRegistry.h"
#include "store/ImageByteOrder.h"

namespace vel {

constexpr int kImportGridRows = 3072;  // grid rows 1 to 3072; row 0 is the header

// The lines of a file in the format (1 to 6) as points: QPL lines as they
// are, the others through their readers, each point's fields as the point
// line gives them back. At most the first 3072 are kept (lines, or SCS2002
// points).
ReadResult convertImportLines(int format, std::vector<std::string> lines);

// The file read as text lines and converted as above.
ReadResult readImportFile(const std::string& path, int format);

// One grid row: name, N, E, Z.
using ImportRow = std::array<std::string, 4>;
std::vector<ImportRow> importGridCells(const std::vector<SurveyPoint>& points);

// A comma or a double quote (the separators and quotes of the exchange
// files) or a control character: a name holding one breaks every file it
// is later written to.
bool breaksExchangeFiles(std::string_view text);
// The rows (from 1) whose name breaks the exchange files; rows without a
// name, N or E, which are not stored, are not looked at.
std::vector<std::size_t> rowsBreakingFiles(const std::vector<ImportRow>& rows);

// Stores one record into the slot; false when the store refused it (the main
// window's AppendRecordChecked, which has shown the refusal by then).
using RecordAppender = std::function<bool(uint8_t slot, const uint8_t* record)>;

// The confirmation: rows[0] is grid row 1. Rows whose trimmed name, N or E is
// empty are skipped; the others become PT records (an empty Z is 0.000) stored
// in order into the target until the first refusal. 1, or 0 when grid row 1
// itself was refused. Rows after the 3072nd are not looked at.
uint8_t storeImportRows(const std::vector<ImportRow>& rows, uint8_t target,
                        const ImageByteOrder& order, const RecordAppender& append);

}  // namespace vel
