// The order tables of page 0 (jobs and feature codes): a list of slot
// numbers in list order, ended by 0xFF.
#pragma once

#include <cstdint>

namespace vel {

// Takes the lowest slot number not yet listed and puts it at the first free
// place; 255 when the table of n places is full.
uint8_t allocateListEntry(uint8_t* table, int n);
// Removes the entry at position and closes the gap; the last place becomes 0xFF.
void removeListEntry(int position, uint8_t* table, int n);

}  // namespace vel
