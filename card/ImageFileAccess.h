// Why an image could not be opened, for the one reason the user is told of.
#pragma once

#include <filesystem>

namespace vel {

// True when the file exists but refuses to be opened for writing: a
// read-only file, or a file on a write-protected card or read-only mount.
// A missing file, or one that opens, gives false.
bool imageRefusesWriting(const std::filesystem::path& path);

}  // namespace vel
