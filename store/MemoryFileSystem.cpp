#include "store/MemoryFileSystem.h"

#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <set>

namespace vel {
namespace {

constexpr long long kPiece = 512;  // the unit a disk writes whole

std::vector<std::string> namesOf(const std::string& path) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    const std::string name = path.substr(start, slash - start);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    start = slash + 1;
  }
  return names;
}

void writeInto(std::vector<uint8_t>& data, long long offset, const uint8_t* bytes, size_t count) {
  const auto end = static_cast<size_t>(offset) + count;
  if (data.size() < end) data.resize(end, 0);
  std::memcpy(data.data() + offset, bytes, count);
}

}  // namespace

MemoryFileSystem::MemoryFileSystem() : root_(newNode(true, 0755)) {}

MemoryFileSystem::MemoryFileSystem(const MemoryFileSystem& other) {
  copyFrom(other);
}

MemoryFileSystem& MemoryFileSystem::operator=(const MemoryFileSystem& other) {
  if (this != &other) copyFrom(other);
  return *this;
}

void MemoryFileSystem::copyFrom(const MemoryFileSystem& other) {
  // Each node copied once, so that a node named twice (now and on the disk)
  // stays one node.
  std::map<const Node*, NodePtr> copies;
  std::function<NodePtr(const NodePtr&)> copy = [&](const NodePtr& node) -> NodePtr {
    if (!node) return nullptr;
    if (const auto found = copies.find(node.get()); found != copies.end()) return found->second;
    auto made = std::make_shared<Node>(*node);
    copies[node.get()] = made;
    for (auto* names : {&made->names, &made->durableNames}) {
      for (auto& [name, child] : *names) child = copy(child);
    }
    for (NameChange& change : made->nameChanges) {
      for (auto& [name, child] : change) child = copy(child);
    }
    return made;
  };
  root_ = copy(other.root_);
  open_.clear();
  for (const auto& [fd, open] : other.open_) open_[fd] = Open{copy(open.node), open.writable};
  nextFd_ = other.nextFd_;
  nextInode_ = other.nextInode_;
  changingCalls_ = other.changingCalls_;
  cutAt_ = other.cutAt_;
  off_ = other.off_;
  trackDurability_ = other.trackDurability_;
}

MemoryFileSystem::NodePtr MemoryFileSystem::newNode(bool folder, mode_t mode) {
  auto node = std::make_shared<Node>();
  node->folder = folder;
  node->mode = mode & 07777;
  node->inode = nextInode_++;
  return node;
}

std::pair<MemoryFileSystem::NodePtr, std::string> MemoryFileSystem::parentOf(
    const std::string& path) const {
  const std::vector<std::string> names = namesOf(path);
  if (names.empty()) return {nullptr, {}};
  NodePtr folder = root_;
  for (size_t i = 0; i + 1 < names.size(); ++i) {
    const auto found = folder->names.find(names[i]);
    if (found == folder->names.end() || !found->second->folder) return {nullptr, {}};
    folder = found->second;
  }
  return {folder, names.back()};
}

MemoryFileSystem::NodePtr MemoryFileSystem::find(const std::string& path) const {
  if (namesOf(path).empty()) return root_;
  const auto [folder, name] = parentOf(path);
  if (!folder) return nullptr;
  const auto found = folder->names.find(name);
  return found == folder->names.end() ? nullptr : found->second;
}

MemoryFileSystem::Open* MemoryFileSystem::opened(int fd) {
  const auto found = open_.find(fd);
  if (found == open_.end()) {
    errno = EBADF;
    return nullptr;
  }
  return &found->second;
}

bool MemoryFileSystem::failsForPower() {
  if (off_) {
    errno = EIO;
    return true;
  }
  ++changingCalls_;
  if (cutAt_ != 0 && changingCalls_ == cutAt_) {
    off_ = true;
    throw PowerCut{};
  }
  return false;
}

void MemoryFileSystem::changeNames(const NodePtr& folder, NameChange change) {
  for (const auto& [name, node] : change) {
    if (node) {
      folder->names[name] = node;
    } else {
      folder->names.erase(name);
    }
  }
  folder->nameChanges.push_back(std::move(change));
}

void MemoryFileSystem::keep(Node& node) const {
  if (!trackDurability_) {
    node.writes.clear();
    node.nameChanges.clear();
    return;
  }
  if (node.folder) {
    node.durableNames = node.names;
    node.nameChanges.clear();
  } else {
    node.durable = node.data;
    node.writes.clear();
  }
}

// --- Setting up -------------------------------------------------------------------------

void MemoryFileSystem::putFile(const std::string& path, std::span<const uint8_t> bytes,
                               long long size) {
  NodePtr folder = root_;
  const std::vector<std::string> names = namesOf(path);
  for (size_t i = 0; i + 1 < names.size(); ++i) {
    NodePtr& next = folder->names[names[i]];
    if (!next) next = newNode(true, 0755);
    keep(*folder);
    folder = next;
  }
  NodePtr file = newNode(false, 0644);
  file->data.assign(bytes.begin(), bytes.end());
  if (size > static_cast<long long>(file->data.size())) file->data.resize(static_cast<size_t>(size));
  keep(*file);
  folder->names[names.back()] = file;
  keep(*folder);
}

bool MemoryFileSystem::exists(const std::string& path) const {
  return find(path) != nullptr;
}

std::optional<std::vector<uint8_t>> MemoryFileSystem::contents(const std::string& path) const {
  const NodePtr node = find(path);
  if (!node || node->folder) return std::nullopt;
  return node->data;
}

void MemoryFileSystem::syncAll() {
  std::function<void(Node&)> walk = [&](Node& node) {
    keep(node);
    for (auto& [name, child] : node.names) walk(*child);
  };
  walk(*root_);
}

// --- Power cuts ------------------------------------------------------------------------

void MemoryFileSystem::cutPowerAt(int call) {
  cutAt_ = call == 0 ? 0 : changingCalls_ + call;
}

void MemoryFileSystem::losePower(std::mt19937& random) {
  std::bernoulli_distribution coin(0.5);
  std::set<Node*> done;
  std::function<void(const NodePtr&)> settle = [&](const NodePtr& node) {
    if (!node || !done.insert(node.get()).second) return;
    if (node->folder) {
      // The names changed since the last fsync, kept up to some point.
      const size_t kept = std::uniform_int_distribution<size_t>(0, node->nameChanges.size())(random);
      std::map<std::string, NodePtr> names = node->durableNames;
      for (size_t i = 0; i < kept; ++i) {
        for (const auto& [name, child] : node->nameChanges[i]) {
          if (child) {
            names[name] = child;
          } else {
            names.erase(name);
          }
        }
      }
      node->names = names;
      keep(*node);
      for (const auto& [name, child] : names) settle(child);
    } else {
      // Each piece written since the last fsync is there or not.
      std::vector<uint8_t> data = node->durable;
      for (const Write& write : node->writes) {
        if (write.bytes.empty()) {
          if (coin(random)) data.resize(static_cast<size_t>(write.offset), 0);
          continue;
        }
        const long long end = write.offset + static_cast<long long>(write.bytes.size());
        for (long long at = write.offset; at < end;) {
          const long long next = std::min(end, (at / kPiece + 1) * kPiece);
          if (coin(random)) {
            writeInto(data, at, write.bytes.data() + (at - write.offset),
                      static_cast<size_t>(next - at));
          }
          at = next;
        }
      }
      node->data = std::move(data);
      keep(*node);
      node->lockHolder = -1;
    }
  };
  settle(root_);
  open_.clear();
  cutAt_ = 0;
  off_ = false;
}

// --- The calls --------------------------------------------------------------------------

int MemoryFileSystem::open(const char* path, int flags, mode_t mode) {
  if (off_) {
    errno = EIO;
    return -1;
  }
  NodePtr node = find(path);
  const bool writable = (flags & O_ACCMODE) != O_RDONLY;
  if (!node) {
    const auto [folder, name] = parentOf(path);
    if (!(flags & O_CREAT) || !folder || (flags & O_DIRECTORY)) {
      errno = ENOENT;
      return -1;
    }
    if (failsForPower()) return -1;
    node = newNode(false, mode);
    changeNames(folder, {{name, node}});
  } else {
    if ((flags & O_CREAT) && (flags & O_EXCL)) {
      errno = EEXIST;
      return -1;
    }
    if ((flags & O_DIRECTORY) && !node->folder) {
      errno = ENOTDIR;
      return -1;
    }
    if (node->folder && writable) {
      errno = EISDIR;
      return -1;
    }
    if ((flags & O_TRUNC) && writable && !node->data.empty()) {
      if (failsForPower()) return -1;
      node->data.clear();
      node->writes.push_back({0, {}});
    }
  }
  open_[nextFd_] = Open{node, writable};
  return nextFd_++;
}

int MemoryFileSystem::close(int fd) {
  const auto found = open_.find(fd);
  if (found == open_.end()) {
    errno = EBADF;
    return -1;
  }
  if (found->second.node->lockHolder == fd) found->second.node->lockHolder = -1;
  open_.erase(found);
  return 0;
}

int MemoryFileSystem::fstat(int fd, struct stat* info) {
  Open* open = opened(fd);
  if (open == nullptr) return -1;
  const Node& node = *open->node;
  *info = {};
  info->st_dev = 1;
  info->st_ino = node.inode;
  info->st_mode = (node.folder ? S_IFDIR : S_IFREG) | node.mode;
  info->st_size = static_cast<off_t>(node.data.size());
  // A file's names: 0 once it is removed from every folder.
  std::function<int(const Node&)> count = [&](const Node& folder) {
    int names = 0;
    for (const auto& [name, child] : folder.names) {
      if (child.get() == &node) ++names;
      if (child->folder) names += count(*child);
    }
    return names;
  };
  info->st_nlink = node.folder ? 1 : static_cast<nlink_t>(count(*root_));
  return 0;
}

ssize_t MemoryFileSystem::pread(int fd, void* buffer, size_t count, off_t offset) {
  if (off_) {
    errno = EIO;
    return -1;
  }
  Open* open = opened(fd);
  if (open == nullptr) return -1;
  if (open->node->folder || offset < 0) {
    errno = open->node->folder ? EISDIR : EINVAL;
    return -1;
  }
  const std::vector<uint8_t>& data = open->node->data;
  if (static_cast<size_t>(offset) >= data.size()) return 0;
  const size_t n = std::min(count, data.size() - static_cast<size_t>(offset));
  std::memcpy(buffer, data.data() + offset, n);
  return static_cast<ssize_t>(n);
}

ssize_t MemoryFileSystem::pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  Open* open = opened(fd);
  if (open == nullptr) return -1;
  if (!open->writable || offset < 0) {
    errno = open->writable ? EINVAL : EBADF;
    return -1;
  }
  if (failsForPower()) return -1;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  writeInto(open->node->data, offset, bytes, count);
  open->node->writes.push_back({offset, std::vector<uint8_t>(bytes, bytes + count)});
  return static_cast<ssize_t>(count);
}

int MemoryFileSystem::ftruncate(int fd, off_t size) {
  Open* open = opened(fd);
  if (open == nullptr) return -1;
  if (!open->writable || size < 0) {
    errno = EINVAL;
    return -1;
  }
  if (failsForPower()) return -1;
  open->node->data.resize(static_cast<size_t>(size), 0);
  open->node->writes.push_back({size, {}});
  return 0;
}

int MemoryFileSystem::fsync(int fd) {
  Open* open = opened(fd);
  if (open == nullptr) return -1;
  if (failsForPower()) return -1;
  keep(*open->node);
  return 0;
}

int MemoryFileSystem::flock(int fd, int operation) {
  Open* open = opened(fd);
  if (open == nullptr) return -1;
  Node& node = *open->node;
  if (operation & LOCK_UN) {
    if (node.lockHolder == fd) node.lockHolder = -1;
    return 0;
  }
  if (node.lockHolder != -1 && node.lockHolder != fd) {
    errno = EWOULDBLOCK;
    return -1;
  }
  node.lockHolder = fd;
  return 0;
}

int MemoryFileSystem::unlink(const char* path) {
  const auto [folder, name] = parentOf(path);
  const auto found = folder ? folder->names.find(name) : decltype(root_->names.end()){};
  if (!folder || found == folder->names.end()) {
    errno = off_ ? EIO : ENOENT;
    return -1;
  }
  if (found->second->folder) {
    errno = EISDIR;
    return -1;
  }
  if (failsForPower()) return -1;
  changeNames(folder, {{name, nullptr}});
  return 0;
}

int MemoryFileSystem::rename(const char* from, const char* to) {
  const auto [fromFolder, fromName] = parentOf(from);
  const auto [toFolder, toName] = parentOf(to);
  const NodePtr node = find(from);
  if (!node || !toFolder) {
    errno = off_ ? EIO : ENOENT;
    return -1;
  }
  if (failsForPower()) return -1;
  if (fromFolder == toFolder) {
    changeNames(toFolder, {{toName, node}, {fromName, nullptr}});
  } else {
    changeNames(toFolder, {{toName, node}});
    changeNames(fromFolder, {{fromName, nullptr}});
  }
  return 0;
}

int MemoryFileSystem::mkdir(const char* path, mode_t mode) {
  const auto [folder, name] = parentOf(path);
  if (!folder) {
    errno = off_ ? EIO : ENOENT;
    return -1;
  }
  if (folder->names.count(name) != 0) {
    errno = EEXIST;
    return -1;
  }
  if (failsForPower()) return -1;
  changeNames(folder, {{name, newNode(true, mode)}});
  return 0;
}

int MemoryFileSystem::stat(const char* path, struct stat* info) {
  if (off_) {
    errno = EIO;
    return -1;
  }
  const NodePtr node = find(path);
  if (!node) {
    errno = ENOENT;
    return -1;
  }
  const int fd = nextFd_++;
  open_[fd] = Open{node, false};
  const int result = fstat(fd, info);
  open_.erase(fd);
  return result;
}

int MemoryFileSystem::lstat(const char* path, struct stat* info) {
  return stat(path, info);
}

int MemoryFileSystem::fchmod(int fd, mode_t mode) {
  Open* open = opened(fd);
  if (open == nullptr) return -1;
  if (off_) {
    errno = EIO;
    return -1;
  }
  open->node->mode = mode & 07777;
  return 0;
}

}  // namespace vel
