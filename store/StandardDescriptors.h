// A program started with descriptor 0, 1 or 2 closed hands that number to the
// first file it opens: the card image would then receive what is printed.
#pragma once

namespace vel {

struct StandardDescriptors {
  bool inputClosed = false;
  bool outputClosed = false;
  bool errorClosed = false;
  bool covered = true;  // false when a closed one could not be opened on /dev/null
};

// Opens every closed standard descriptor on /dev/null and says which were
// closed. Call before anything else is opened.
StandardDescriptors openClosedStandardDescriptors();

}  // namespace vel
