// Readable job slots and list positions in test failure messages.
#pragma once

#include <ostream>

#include "card/Outcome.h"

namespace vel {

inline void PrintTo(JobSlot job, std::ostream* out) {
  *out << "slot " << static_cast<int>(job.value);
}
inline void PrintTo(JobPosition position, std::ostream* out) {
  *out << "position " << position.value;
}

}  // namespace vel
