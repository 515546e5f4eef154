// Why an image could not be opened, for the one reason the user is told of,
// and whether a file the user names is the image itself.
#pragma once

#include <filesystem>

namespace vel {

// True when the file exists but refuses to be opened for writing: a
// read-only file, or a file on a write-protected card or read-only mount.
// A missing file, or one that opens, gives false.
bool imageRefusesWriting(const std::filesystem::path& path);

// True when both paths lead to one file (the same device and inode: any
// spelling of the path, a symlink or a hard link). A path that does not exist
// is no file yet, so it is never the same as another.
bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b);
// The same for an open descriptor and a path.
bool descriptorIsFile(int fd, const std::filesystem::path& path);

}  // namespace vel
