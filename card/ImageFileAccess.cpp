#include "card/ImageFileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace vel {

namespace {

bool equalIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::filesystem::path listedSpelling(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  if (name.empty()) return path;
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  std::error_code error;
  std::string match;
  int matches = 0;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::string listed = it->path().filename().string();
    if (listed == name) return path;
    if (equalIgnoringCase(listed, name)) {
      match = listed;
      ++matches;
    }
  }
  if (error || matches != 1) return path;
  return path.has_parent_path() ? path.parent_path() / match : std::filesystem::path(match);
}

bool linkLeavesFolder(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error)) return false;
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  const std::filesystem::path target = std::filesystem::canonical(path, error);
  if (error) return true;
  const std::filesystem::path home = std::filesystem::canonical(folder, error);
  return error || target.parent_path() != home;
}

namespace {

bool sameIdentity(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         sameIdentity(first, second);
}

bool descriptorIsFile(int fd, const std::filesystem::path& path) {
  struct stat opened {};
  struct stat named {};
  return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
         sameIdentity(opened, named);
}

}  // namespace vel
