// What the fuzzers feed with arbitrary bytes. The same functions run the kept
// inputs (seed corpus and past crashes) as ordinary regression tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vel::fuzz {

// The bytes are a record-area image followed by a script of store operations.
void runStoreInput(const uint8_t* data, size_t size);

// The bytes are a rollback journal found beside a valid image when it is
// opened (the first byte's bit 0: give it its right checksum first; bit 1: it
// lies under the name earlier versions gave it). It must be put back exactly
// when it is whole, valid and every sector it names holds what the change
// found or wrote; kept aside when whole and valid but overtaken; removed
// otherwise.
void runJournalInput(const uint8_t* data, size_t size);

// The first byte splits the rest into a snapshot folder's index and a file
// A.gz in it. Listing and loading never go wrong, and a snapshot kept then
// loses nothing that was listed, but for what the limits prune.
void runSnapshotInput(const uint8_t* data, size_t size);

// The first byte picks a reader (PTS, SV300, CASS5.X, CSV, SCS2002, QPL through
// the point-line extractors, or the whole import); the rest is the file's text.
void runExchangeInput(const uint8_t* data, size_t size);

}  // namespace vel::fuzz
