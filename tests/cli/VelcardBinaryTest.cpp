// The command line itself: usage, --help, and the built program run as a
// process, where exit statuses and streams are what a script sees.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "CliTestSupport.h"
#include "cli/Velcard.h"

namespace vel::cli::test {
namespace {

TEST(VelcardUsageTest, HelpListsEveryCommandOnStdout) {
  RunResult r = velcard({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  for (const Verb& verb : verbs()) {
    EXPECT_NE(r.out.find(std::string("  ") + verb.name + " IMAGE"), std::string::npos) << verb.name;
  }
}

TEST(VelcardUsageTest, UsageErrorsListTheCommandsOnStderr) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate", "x.VEL"},
      {"info"},
      {"info", "a.VEL", "b.VEL"},
      {"new-job", "a.VEL"},
      {"format", "a.VEL", "RX3-8", "8704", "more"}};
  for (const auto& args : cases) {
    RunResult r = velcard(args);
    EXPECT_EQ(r.status, 1) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("clear-codes IMAGE"), std::string::npos);
  }
}

struct ProcessResult {
  int status = -1;
  std::string out;
};

// Runs the built velcard; stderr is dropped, the exit status kept.
ProcessResult runProcess(const std::string& arguments) {
  const std::string command = std::string("'") + VELCARD_BINARY + "' " + arguments + " 2>/dev/null";
  ProcessResult result;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  const int wait = pclose(pipe);
  result.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
  return result;
}

TEST_F(CliTest, TheProgramExitsWithTheCommandsStatus) {
  const std::string image = "'" + file("card.VEL").string() + "'";
  EXPECT_EQ(runProcess("create " + image + " RX3-32").status, 0);
  ProcessResult info = runProcess("info " + image);
  EXPECT_EQ(info.status, 0);
  EXPECT_EQ(info.out, "model RX3-32\nsectors 8312\njobs 0\nknown 0\ncapacity 49488\nfree 49488\n");
  EXPECT_EQ(runProcess("new-job " + image + " a").status, 0);
  EXPECT_EQ(runProcess("new-job " + image + " A").status, 2);
  EXPECT_EQ(runProcess("create " + image + " RX3-32").status, 1);
  EXPECT_EQ(runProcess("").status, 1);

  writeBytes(file("blank.VEL"), std::string(4096, '\0'));
  EXPECT_EQ(runProcess("jobs '" + file("blank.VEL").string() + "'").status, 3);
}

}  // namespace
}  // namespace vel::cli::test
