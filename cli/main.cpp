#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/Velcard.h"
#include "exchange/FormatRegistry.h"
#include "gis/GisFormats.h"
#include "store/StandardDescriptors.h"

namespace {

// Standard output as it was when velcard started closed: whatever is printed
// to it is lost, and so fails.
class LostOutput : public std::streambuf {
 protected:
  int_type overflow(int_type) override { return traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

}  // namespace

int main(int argc, char** argv) {
  // Before anything is opened: a closed descriptor would go to the image.
  const vel::StandardDescriptors standard = vel::openClosedStandardDescriptors();
  if (!standard.covered) return 1;
  // A file-size limit then fails the write (EFBIG), which velcard cleans up
  // after, instead of ending the process half-way.
  std::signal(SIGXFSZ, SIG_IGN);

  LostOutput lost;
  std::ostream lostOut(&lost);
  std::ostream& out = standard.outputClosed ? lostOut : std::cout;

  // Here rather than among the commands: the version is the executable's.
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    out << "velcard " VEL_VERSION "\n";
    return out.flush() && std::fflush(stdout) == 0 ? 0 : 1;
  }

  vel::registerGisFormats(vel::FormatRegistry::instance());
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = vel::cli::runVelcard(args, out, std::cerr);
  if (std::fflush(stdout) != 0 && status == 0) {
    std::cerr << "velcard: cannot write to standard output\n";
    status = 1;
  }
  return status;
}
