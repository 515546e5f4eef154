// The small result codes every operation of the store answers with, in one
// place: the store's own callers test them and stop quietly when nothing
// was done.
#pragma once

#include <cstdint>

namespace vel {

// Operations that change or look something up.
constexpr uint8_t kDone = 0;
constexpr uint8_t kWriteFailed =
    253;                           // a sector it needed could not be read, so nothing was written
constexpr uint8_t kJobFull = 254;  // the job already holds kMaxJobRecords records
constexpr uint8_t kRefused = 255;  // none, not found, full or refused

// detectModel.
constexpr uint8_t kModelRecognised = 1;
constexpr uint8_t kModelNotRecognised = 0;
constexpr uint8_t kModelJobOrderPlausible = 2;  // unknown format word, job order table passes
constexpr uint8_t kNoImage = 255;

}  // namespace vel
