// velcard's command table and entry point, callable in-process by tests.
#pragma once

#include <ostream>
#include <span>
#include <string>

#include "cli/CommandSupport.h"

namespace vel::cli {

struct Verb {
  const char* name;
  const char* arguments;  // as the usage text shows them
  const char* summary;
  size_t minArgs;
  size_t maxArgs;
  int (*run)(CommandArgs args, Streams& io);
};

// Every command, in the order the usage text lists them.
std::span<const Verb> verbs();

void printUsage(std::ostream& out);

// args: the words after the program name. Returns the exit status.
int runVelcard(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace vel::cli
