// Structural checks of a record-area image: what must hold after any
// sequence of operations on a well-formed card.
#pragma once

#include <string>
#include <vector>

#include "store/RecordAreaStore.h"

namespace vel::test {

// Reads the header area of the open image through the store and returns one
// line per broken rule (empty when the image is sound):
// - each block's count equals the 0 bits among bits 0 to 5 of its bitmap;
// - a free block counts 0, an owned block 1 to 48;
// - owners are listed jobs or the known-point file;
// - the free record count equals capacity minus all counts;
// - every listed job's count, and the known-point count, equal the records its blocks hold;
// - the order tables hold no duplicates;
// - the store's in-memory tables equal the image.
std::vector<std::string> imageInvariantViolations(RecordAreaStore& store);

}  // namespace vel::test
