// The seven kinds of survey record: their layouts behind the kind byte, the
// one-line text the job viewer shows, the point the output takes from them,
// and the PT record this program writes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "store/FixedValue.h"
#include "store/ImageByteOrder.h"
#include "store/ModelLayout.h"

namespace vel {

enum RecordKind : uint8_t {
  kCRD = 0,
  kDIST = 1,
  kANG = 2,
  kSTN = 3,
  kPT = 4,
  kBKB = 5,
  kBS = 6,
};

// Byte positions inside a 42-byte record.
namespace record_layout {
constexpr int kKind = 0;
constexpr int kName = 1;  // 9 bytes, NUL-padded; ends after 9 bytes at the latest
constexpr int kTextSize = 9;
constexpr int kCode = 10;  // 9 bytes; absent when its first byte is 0
constexpr int kReal = 19;  // IEEE single
// CRD, STN, BS: three fixed-point coordinates of 6 bytes each.
constexpr int kSurveyN = 23;
constexpr int kSurveyE = 29;
constexpr int kSurveyZ = 35;
// DIST, ANG, BKB.
constexpr int kDistance = 23;  // IEEE single, DIST only
constexpr int kAngle1 = 27;    // whole arc-seconds
constexpr int kAngle2 = 31;
// PT has no code and no real value: its coordinates start four bytes earlier.
constexpr int kPointN = 19;
constexpr int kPointE = 25;
constexpr int kPointZ = 31;
}  // namespace record_layout

using RecordView = std::span<const uint8_t, kRecordSize>;
using RecordBuffer = std::span<uint8_t, kRecordSize>;

// "%i.%02d%02d": degrees (kept modulo 65536), then minutes and seconds packed
// behind one point; 45296 gives 12.3456.
std::string angleText(uint32_t seconds);

// The job viewer's line for a record; "Unknown Record" for kinds above 6.
std::string recordText(const ImageByteOrder& order, RecordView record);
// A row of recordText as its kind's word, then its values, tab-separated, for
// the clipboard.
std::string recordFields(std::string_view row);

// Point lines for the output: a PT point has an empty code.
std::string pointLineFromPointRecord(const ImageByteOrder& order, RecordView record);
// CRD and STN.
std::string pointLineFromSurveyRecord(const ImageByteOrder& order, RecordView record);

// Fills the buffer with a PT record: kind 4, the name's first 8 bytes padded
// with NUL (byte 9 always NUL), N, E and Z in the image byte order, every other
// byte 0.
void buildPointRecord(const ImageByteOrder& order, std::string_view name, FixedValue n,
                      FixedValue e, FixedValue z, RecordBuffer record);

}  // namespace vel
