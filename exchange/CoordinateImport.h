// The coordinate import without its window: a file becomes at most 3072 point
// lines, the point lines become grid cells, and the confirmed grid rows become
// PT records handed to the caller's store operation.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "records/MessageTexts.h"  // the texts shown when a file cannot be taken over
#include "store/ImageByteOrder.h"

namespace vel {

constexpr int kImportGridRows = 3072;  // grid rows 1 to 3072; row 0 is the header

enum class ImportStatus {
  kRead,         // the point lines are the file's points
  kFormatError,  // an SCS2002 file whose count or end line does not fit
  kFailed,       // the file cannot be read, or an SV300 line holds no comma
};

struct ImportedFile {
  ImportStatus status = ImportStatus::kRead;
  std::vector<std::string> pointLines;  // empty unless kRead
  std::string problem;                  // why, in the user's words (UTF-8); empty for kRead
  int error = 0;                        // the system's error number when the file was not read
};

// The lines of a file in the format (1 to 6) as point lines: QPL lines as they
// are, the others through their readers. At most the first 3072 are kept
// (lines, or SCS2002 points).
ImportedFile convertImportLines(int format, std::vector<std::string> lines);

// The file read as text lines and converted as above.
ImportedFile readImportFile(const std::string& path, int format);

// The system's reason for an errno value, in the user's words (UTF-8).
std::string systemReasonText(int error);

// One grid row: name, N, E, Z as the extractors give them.
using ImportRow = std::array<std::string, 4>;
std::vector<ImportRow> importGridCells(const std::vector<std::string>& pointLines);

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
