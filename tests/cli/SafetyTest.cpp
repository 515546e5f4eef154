// What velcard promises about a card whatever happens around it: every change
// whole or not at all, one program at a time, the image never an output, and
// closed standard streams never leading into the image.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "FaultyCalls.h"
#include "TestImage.h"
#include "card/CardSession.h"
#include "store/RollbackJournal.h"

namespace vel::cli::test {
namespace {

namespace fs = std::filesystem;
using vel::test::Fault;
using vel::test::FaultyCalls;
using vel::test::InstalledCalls;
using vel::test::WriteProtectedCard;

// A card in use: job A of 50 points, job B, two known points, three codes.
class SafetyTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    image_ = createImage();
    for (const char* job : {"A", "B"}) ASSERT_EQ(velcard({"new-job", image_, job}).status, 0);
    for (int i = 0; i < 50; ++i) {
      ASSERT_EQ(velcard({"add-point", image_, "A", "P" + std::to_string(i), "1", "2", "3"}).status,
                0);
    }
    for (const char* known : {"K1", "K2"}) {
      ASSERT_EQ(velcard({"add-point", image_, "--known", known, "4", "5", "6"}).status, 0);
    }
    for (const char* code : {"TREE", "ROAD", "WALL"}) {
      ASSERT_EQ(velcard({"add-code", image_, code}).status, 0);
    }
    std::string csv;
    for (int i = 0; i < 60; ++i) csv += "I" + std::to_string(i) + ",,1.5,2.5,3\n";
    writeBytes(file("points.csv"), csv);
    before_ = readBytes(image_);
  }

  std::vector<std::string> withImage(std::vector<std::string> args) const {
    for (std::string& arg : args) {
      if (arg == "@") arg = image_;
    }
    return args;
  }
  std::string journal() const { return journalPathFor(image_); }

  std::string image_;
  std::string before_;
};

struct Command {
  const char* name;
  std::vector<std::string> args;  // "@" stands for the image
};

std::ostream& operator<<(std::ostream& out, const Command& command) {
  return out << command.name;
}

const Command kChangingCommands[] = {
    {"Format", {"format", "@"}},
    {"FormatAsAnotherModel", {"format", "@", "RX2-8"}},
    {"NewJob", {"new-job", "@", "C"}},
    {"RenameJob", {"rename-job", "@", "A", "X"}},
    {"DeleteJob", {"delete-job", "@", "A"}},
    {"AddPoint", {"add-point", "@", "A", "NEW", "1", "2", "3"}},
    {"AddKnownPoint", {"add-point", "@", "--known", "K9", "1", "2", "3"}},
    {"DeleteRecord", {"delete-record", "@", "A", "10"}},
    {"ClearKnown", {"clear-known", "@"}},
    {"AddCode", {"add-code", "@", "PIPE"}},
    {"DeleteCode", {"delete-code", "@", "1"}},
    {"ClearCodes", {"clear-codes", "@"}},
    {"Import", {"import", "@", "B", "6", "points.csv"}},
};

class EveryChangingCommand : public SafetyTest, public ::testing::WithParamInterface<Command> {
 protected:
  // Each run keeps its snapshot in an empty folder, so that every run makes
  // the same calls: the snapshot's own are among those that fail.
  void TearDown() override {
    if (!backups_.empty()) ::setenv("VEL_BACKUP_DIR", backups_.c_str(), 1);
    SafetyTest::TearDown();
  }
  void freshSnapshotFolder() {
    if (backups_.empty()) backups_ = std::getenv("VEL_BACKUP_DIR");
    ::setenv("VEL_BACKUP_DIR", file("backups" + std::to_string(++runs_)).c_str(), 1);
  }
  std::vector<std::string> args() {
    freshSnapshotFolder();
    std::vector<std::string> args = withImage(GetParam().args);
    if (args[0] == "import") args[4] = file("points.csv").string();
    return args;
  }

 private:
  std::string backups_;
  int runs_ = 0;
};

TEST_P(EveryChangingCommand, ThatFailsAtAnyCallExitsOneAndLeavesTheImageAsBefore) {
  FaultyCalls counted;
  {
    InstalledCalls installed(counted);
    ASSERT_EQ(velcard(args()).status, 0);
  }
  ASSERT_NE(readBytes(image_), before_);

  for (Fault fault : {Fault::kWrite, Fault::kPositioning, Fault::kFsync}) {
    for (int at = 1; at <= counted.countOf(fault); ++at) {
      SCOPED_TRACE(std::string(vel::test::faultName(fault)) + " " + std::to_string(at));
      writeBytes(image_, before_);
      FaultyCalls calls(fault, at);
      InstalledCalls installed(calls);
      const RunResult r = velcard(args());
      EXPECT_TRUE(calls.fired());
      if (fault == Fault::kFsync && at == counted.syncs()) {
        // The folder forced after the journal is gone: done, with a warning.
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.err.find("velcard: warning:"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(journal()));
        continue;
      }
      // A failed read can also make the card unrecognisable or a record unfindable.
      EXPECT_NE(r.status, 0);
      if (fault != Fault::kPositioning) {
        EXPECT_EQ(r.status, 1) << r.err;
      }
      EXPECT_TRUE(readBytes(image_) == before_);
      EXPECT_FALSE(fs::exists(journal()));
    }
  }
}

TEST_P(EveryChangingCommand, StoppedAtAnyWriteIsPutBackByTheNextCommand) {
  FaultyCalls counted;
  {
    InstalledCalls installed(counted);
    ASSERT_EQ(velcard(args()).status, 0);
  }
  const std::string after = readBytes(image_);

  for (int at = 1; at <= counted.writes(); ++at) {
    SCOPED_TRACE("crash at write " + std::to_string(at));
    writeBytes(image_, before_);
    {
      FaultyCalls calls(Fault::kCrash, at);
      InstalledCalls installed(calls);
      EXPECT_THROW(velcard(args()), vel::test::SimulatedCrash);
    }
    // Stopped while keeping the snapshot there is no journal yet; stopped
    // while writing the journal, it is not whole and is dropped unsaid.
    const std::string left = fs::exists(journal()) ? readBytes(journal()) : std::string();
    const bool whole =
        RollbackJournal::decode(reinterpret_cast<const uint8_t*>(left.data()), left.size())
            .has_value();
    const RunResult info = velcard({"info", image_});
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(
        info.err.find("was put back as it was before an interrupted change") != std::string::npos,
        whole)
        << info.err;
    EXPECT_FALSE(fs::exists(journal()));
    const std::string now = readBytes(image_);
    EXPECT_TRUE(now == before_ || now == after);
    EXPECT_EQ(velcard({"info", image_}).err, "") << "said once";
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, EveryChangingCommand, ::testing::ValuesIn(kChangingCommands),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SafetyTest, CreateThatFailsAtAnyCallLeavesNoFile) {
  const std::string path = file("new.VEL").string();
  FaultyCalls counted;
  {
    InstalledCalls installed(counted);
    ASSERT_EQ(velcard({"create", path, "RX3-8"}).status, 0);
  }
  for (Fault fault : {Fault::kWrite, Fault::kPositioning, Fault::kFsync}) {
    for (int at = 1; at <= counted.countOf(fault); ++at) {
      SCOPED_TRACE(std::string(vel::test::faultName(fault)) + " " + std::to_string(at));
      fs::remove(path);
      FaultyCalls calls(fault, at);
      InstalledCalls installed(calls);
      // The last is the folder's, after the change is on the card: done.
      const bool done = fault == Fault::kFsync && at == counted.syncs();
      EXPECT_EQ(velcard({"create", path, "RX3-8"}).status, done ? 0 : 1);
      EXPECT_EQ(fs::exists(path), done);
      EXPECT_FALSE(fs::exists(journalPathFor(path)));
    }
  }
}

TEST_F(SafetyTest, ExportNeverWritesIntoTheImageByAnyPath) {
  const fs::path symlink = file("link.VEL");
  const fs::path hardLink = file("hard.VEL");
  fs::create_symlink(image_, symlink);
  fs::create_hard_link(image_, hardLink);
  const std::string relative = fs::relative(image_, fs::current_path()).string();
  for (const std::string& outFile : {image_, relative, symlink.string(), hardLink.string(),
                                     (dir_ / "." / "card.VEL").string()}) {
    SCOPED_TRACE(outFile);
    const RunResult r = velcard({"export", image_, "A", "csv", outFile});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("it is the image"), std::string::npos) << r.err;
    EXPECT_TRUE(readBytes(image_) == before_);
  }
  // A file that does not exist yet is not the image.
  EXPECT_EQ(velcard({"export", image_, "A", "csv", file("out.csv").string()}).status, 0);
  EXPECT_NE(readBytes(file("out.csv")).find("P49"), std::string::npos);
}

TEST_F(SafetyTest, AnotherProgramIsWaitedForThenRefused) {
  CardSession holder;
  ASSERT_EQ(holder.open(image_), OpenStatus::kLoaded);

  const auto started = std::chrono::steady_clock::now();
  RunResult r = velcard({"--wait", "0.3", "add-code", image_, "LATE"});
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "velcard: " + image_ + " is in use by another program\n");
  EXPECT_EQ(velcard({"--wait", "0", "jobs", image_}).status, 1);
  holder.close();
  EXPECT_TRUE(readBytes(image_) == before_);
  EXPECT_EQ(velcard({"--wait", "0", "add-code", image_, "LATE"}).status, 0);

  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--wait"},
                                              {"--wait", "x", "info", image_},
                                              {"--wait", "-1", "info", image_},
                                              {"--wait", ".", "info", image_}}) {
    EXPECT_EQ(velcard(bad).status, 1) << bad.size();
  }
}

TEST_F(SafetyTest, ImportRefusesAnInputLargerThan64MiB) {
  const fs::path limit = file("limit.csv");
  const fs::path over = file("over.csv");
  writeBytes(limit, "P1,,1,2,3\n" + std::string((64 << 20) - 10, '\n'));
  writeBytes(over, "P1,,1,2,3\n");
  fs::resize_file(over, (64 << 20) + 1);
  const std::string reason =
      "导入错误！\n无法读取文件：" + over.string() + "\n文件大于64 MiB，无法导入\n";

  EXPECT_EQ(velcard({"import", image_, "B", "6", limit.string()}).status, 0);
  EXPECT_EQ(velcard({"records", image_, "B"}).out.substr(0, 2), "PT");
  const std::string withOne = readBytes(image_);
  const RunResult r = velcard({"import", image_, "B", "6", over.string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, reason);
  // A device is never read: it may never end.
  const RunResult endless = velcard({"import", image_, "B", "6", "/dev/zero"});
  EXPECT_EQ(endless.status, 1);
  EXPECT_NE(endless.err.find("这不是普通文件"), std::string::npos) << endless.err;
  EXPECT_TRUE(readBytes(image_) == withOne);
}

// --- The program as a process ---------------------------------------------------------

struct ProcessResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the built velcard with stdin on /dev/null and stdout and stderr
// collected; inChild changes the child's descriptors or limits before it starts.
ProcessResult runVelcardProcess(const std::vector<std::string>& args,
                                const std::function<void()>& inChild = {}) {
  int out[2];
  int err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    if (inChild) inChild();
    std::vector<char*> argv{const_cast<char*>(VELCARD_BINARY)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(VELCARD_BINARY, argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  ProcessResult result;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  for (int open = 2; open > 0;) {
    if (poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int wait = 0;
  waitpid(pid, &wait, 0);
  result.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait);
  return result;
}

TEST_F(SafetyTest, ListingsWithAClosedStandardStreamNeverWriteIntoTheImage) {
  const std::vector<std::vector<std::string>> listings = {
      {"info", "@"},  {"jobs", "@"},  {"records", "@", "A"},
      {"known", "@"}, {"codes", "@"}, {"export", "@", "A", "csv", "-"}};
  for (const auto& listing : listings) {
    const std::vector<std::string> args = withImage(listing);
    SCOPED_TRACE(listing[0]);
    const ProcessResult normal = runVelcardProcess(args);
    ASSERT_EQ(normal.status, 0);
    ASSERT_NE(normal.out, "");
    for (int closed : {0, 1, 2}) {
      SCOPED_TRACE("descriptor " + std::to_string(closed) + " closed");
      const ProcessResult r = runVelcardProcess(args, [closed] { close(closed); });
      EXPECT_TRUE(readBytes(image_) == before_);
      if (closed == 1) {
        EXPECT_EQ(r.status, 1) << "the listing was lost";
        EXPECT_EQ(r.err, "velcard: cannot write to standard output\n");
      } else {
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, normal.out);
      }
    }
  }
  // An error message with stderr closed, and a change that prints nothing with stdout closed.
  EXPECT_EQ(runVelcardProcess(withImage({"records", "@", "NOSUCH"}), [] { close(2); }).status, 1);
  EXPECT_TRUE(readBytes(image_) == before_);
  EXPECT_EQ(runVelcardProcess(withImage({"add-code", "@", "PIPE"}), [] { close(1); }).status, 0);
  EXPECT_EQ(velcard({"codes", image_}).out, "TREE\nROAD\nWALL\nPIPE\n");
}

TEST_F(SafetyTest, AStandardOutputThatIsTheImageIsRefused) {
  const std::string image = image_;
  const ProcessResult r = runVelcardProcess({"export", image_, "A", "csv", "-"},
                                            [image] { dup2(open(image.c_str(), O_RDWR), 1); });
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("standard output is the image"), std::string::npos) << r.err;
  EXPECT_TRUE(readBytes(image_) == before_);
}

TEST_F(SafetyTest, CreateUnderAFileSizeLimitLeavesNoFile) {
  const std::string path = file("limited.VEL").string();
  const ProcessResult r = runVelcardProcess({"create", path, "RX3-8"}, [] {
    const rlimit limit{1 << 20, 1 << 20};
    setrlimit(RLIMIT_FSIZE, &limit);
  });
  EXPECT_EQ(r.status, 1) << "ended by SIGXFSZ instead of failing";
  EXPECT_NE(r.err, "");
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(SafetyTest, TwoProgramsAddingPointsAtOnceLoseNone) {
  // Each loop prints one line per point stored.
  const auto loop = [&](const char* prefix) {
    const std::string command = "for i in $(seq 1 25); do '" + std::string(VELCARD_BINARY) +
                                "' add-point '" + image_ + "' B " + prefix +
                                "$i 1 2 3 2>/dev/null && echo stored; done";
    return popen(command.c_str(), "r");
  };
  std::FILE* first = loop("X");
  std::FILE* second = loop("Y");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  int stored = 0;
  for (std::FILE* pipe : {first, second}) {
    char line[64];
    while (std::fgets(line, sizeof line, pipe) != nullptr) ++stored;
    pclose(pipe);
  }
  EXPECT_EQ(stored, 50);
  const RunResult records = velcard({"records", image_, "B"});
  EXPECT_EQ(std::count(records.out.begin(), records.out.end(), '\n'), stored);
  const RunResult info = velcard({"info", image_});
  EXPECT_NE(info.out.find("free " + std::to_string(49536 - 52 - stored) + "\n"), std::string::npos)
      << info.out;
}

// --- At the edges ------------------------------------------------------------------------

TEST_F(SafetyTest, ACardThatMayNotChangeIsReadAndEveryChangeExitsOneWithTheReason) {
  const std::string reason = "velcard: " + image_ + " cannot be changed: ";
  {
    WriteProtectedCard locked(dir_.string());
    InstalledCalls installed(locked);
    EXPECT_EQ(velcard({"info", image_}).status, 0);
    EXPECT_EQ(velcard({"records", image_, "A"}).out.substr(0, 2), "PT");
    EXPECT_EQ(velcard({"export", image_, "A", "csv", "-"}).status, 0);
    EXPECT_EQ(velcard({"backup", image_}).status, 0);
    const RunResult r = velcard({"delete-job", image_, "A"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, reason +
                         "the card is write-protected (a read-only file or file system); it "
                         "can only be read\n");
  }
  fs::create_hard_link(image_, file("second.VEL"));
  const RunResult linked = velcard({"add-code", image_, "PIPE"});
  EXPECT_EQ(linked.status, 1);
  EXPECT_EQ(linked.err,
            reason + "the file has more than one name (hard links); copy it to change it\n");
  fs::remove(file("second.VEL"));

  // velcard asks nothing: a format through a link to another folder is refused.
  const fs::path outside = file("home");
  fs::create_directory(outside);
  fs::create_symlink(image_, outside / "card.vel");
  EXPECT_EQ(velcard({"format", (outside / "card.vel").string()}).status, 1);
  EXPECT_TRUE(readBytes(image_) == before_);
}

TEST_F(SafetyTest, AJournalTheInstrumentOvertookIsReportedKeptAsideAndNotApplied) {
  {
    FaultyCalls calls(Fault::kCrash, 3);  // the journal's write, then the image's first two
    InstalledCalls installed(calls);
    EXPECT_THROW(velcard({"--no-backup", "delete-job", image_, "A"}), vel::test::SimulatedCrash);
  }
  ASSERT_TRUE(fs::exists(journal()));
  // The instrument knows nothing of journals (the store that plays it keeps
  // its own out of the way of ours).
  fs::rename(journal(), journal() + ".away");
  {
    RecordAreaStore instrument;
    ASSERT_TRUE(instrument.openImage(image_));
    ASSERT_EQ(instrument.detectModel(), kModelRecognised);
    instrument.loadTables();
    // The torn image lists job B alone: A's deletion had reached its order table.
    const uint8_t jobB = instrument.jobSlotAt(instrument.findJob("B"));
    ASSERT_EQ(vel::test::appendPoint(instrument, jobB, "FIELD"), kDone);
    ASSERT_TRUE(instrument.commitImage());
  }
  fs::rename(journal() + ".away", journal());
  const RunResult r = velcard({"records", image_, "B"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("was written since (by the instrument?); nothing was put back"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.out.find("FIELD"), std::string::npos);
  EXPECT_FALSE(fs::exists(journal()));
  EXPECT_EQ(velcard({"info", image_}).err, "") << "said once";
}

TEST_F(SafetyTest, AnImportThatIsNoTextFileIsRefusedWholeWithItsLine) {
  writeBytes(file("nul.csv"), std::string("N1,,1,2,3\nN2,,1,2,3\nN3\0,,1,2,3\n", 32));
  const RunResult r = velcard({"import", image_, "B", "csv", file("nul.csv").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "导入错误！\n无法读取文件：" + file("nul.csv").string() +
                       "\n第3行含有空字节（NUL），这不是文本文件，整个文件未导入\n");
  writeBytes(file("utf16.csv"), std::string("\xFF\xFEN\0001\0", 6));
  EXPECT_NE(velcard({"import", image_, "B", "csv", file("utf16.csv").string()}).err.find("UTF-16"),
            std::string::npos);
  EXPECT_TRUE(readBytes(image_) == before_);
}

}  // namespace
}  // namespace vel::cli::test
