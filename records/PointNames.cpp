#include "records/PointNames.h"

#include "store/ModelLayout.h"

namespace vel {

void nextPointName(std::string& name) {
  // A NUL ends the name, as in the fixed name buffers of the records.
  if (const size_t end = name.find('\0'); end != std::string::npos) name.resize(end);

  size_t i = name.size();
  bool carry = true;
  while (carry && i > 0 && name[i - 1] >= '0' && name[i - 1] <= '9') {
    --i;
    if (name[i] == '9') {
      name[i] = '0';
    } else {
      ++name[i];
      carry = false;
    }
  }
  if (!carry || name.size() >= static_cast<size_t>(kNameLength)) return;

  const bool endedInDigits = i < name.size();
  if (endedInDigits) {
    name.insert(i, 1, '1');  // 99 -> 100: the run of nines grows by one digit
  } else {
    name.push_back('0');
  }
}

}  // namespace vel
