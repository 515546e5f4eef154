// Why an image could not be opened, for the one reason the user is told of,
// and whether a file the user names is the image itself.
#pragma once

#include <filesystem>

namespace vel {

// The path with its file name spelt as its folder lists it. A card's file
// system (FAT, exFAT) ignores letter case, so "sample.vel" may name
// "SAMPLE.VEL"; every program must then use the one spelling, or locks and
// journals under one spelling would miss the other. The path is kept as it
// is when the folder lists that very name, cannot be read, or lists no
// single name of another case.
std::filesystem::path listedSpelling(const std::filesystem::path& path);

// True when the path is a symlink whose file lies in another folder than
// the link: changes through it would land outside the card's folder.
bool linkLeavesFolder(const std::filesystem::path& path);

// True when both paths lead to one file (the same device and inode: any
// spelling of the path, a symlink or a hard link). A path that does not exist
// is no file yet, so it is never the same as another.
bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b);
// The same for an open descriptor and a path.
bool descriptorIsFile(int fd, const std::filesystem::path& path);

}  // namespace vel
