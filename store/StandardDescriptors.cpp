#include "store/StandardDescriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace vel {
namespace {

bool isClosed(int fd) {
  return ::fcntl(fd, F_GETFD) == -1 && errno == EBADF;
}

// The lowest free number is taken, which is `fd` itself when those below it are open.
bool coverWithNull(int fd) {
  const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
  if (opened < 0) return false;
  if (opened == fd) return true;
  const bool moved = ::dup2(opened, fd) == fd;
  ::close(opened);
  return moved;
}

}  // namespace

StandardDescriptors openClosedStandardDescriptors() {
  StandardDescriptors found;
  bool* closed[] = {&found.inputClosed, &found.outputClosed, &found.errorClosed};
  for (int fd = 0; fd <= 2; ++fd) {
    if (!isClosed(fd)) continue;
    *closed[fd] = true;
    if (!coverWithNull(fd)) found.covered = false;
  }
  return found;
}

}  // namespace vel
