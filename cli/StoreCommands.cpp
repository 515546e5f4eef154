#include "cli/StoreCommands.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "store/Gbk.h"
#include "store/ModelLayout.h"
#include "store/RollbackJournal.h"

namespace vel::cli {
namespace {

void printLine(Streams& io, const std::string& cardText) {
  io.out << gbkToUtf8(cardText) << '\n';
}

// A fresh image is all 0xFF, as an erased card is. Never replaces a file.
void createBlankImage(const std::string& path, long long size) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "wbx");
  if (file == nullptr) {
    if (errno == EEXIST) failIo("image " + path + " already exists");
    failIo("cannot create image " + path + ": " + std::strerror(errno));
  }
  std::vector<unsigned char> chunk(64 * 1024, 0xFF);
  bool written = true;
  for (long long left = size; left > 0 && written;) {
    size_t n = static_cast<size_t>(std::min<long long>(left, chunk.size()));
    written = std::fwrite(chunk.data(), 1, n, file) == n;
    left -= static_cast<long long>(n);
  }
  if (std::fclose(file) != 0) written = false;
  if (!written) {
    std::remove(path.c_str());
    failIo("cannot write image " + path);
  }
}

}  // namespace

int createCommand(CommandArgs args, Streams& io) {
  const std::string& path = args[0];
  ModelChoice choice = parseModel(args[1], args.size() > 2 ? &args[2] : nullptr);
  createBlankImage(path, choice.sectors * kSectorSize);
  std::error_code ignored;
  const std::string journal = journalPathFor(std::filesystem::canonical(path, ignored).string());
  try {
    ImageSession image(path, io);
    // A file just made holds nothing to keep.
    image.card().setSnapshotFolder(nullptr);
    image.run(FormatArea{choice});
  } catch (...) {
    // Half a new image is worse than none, and no journal may outlive it.
    std::remove(path.c_str());
    std::remove(journal.c_str());
    throw;
  }
  return kExitDone;
}

int formatCommand(CommandArgs args, Streams& io) {
  std::optional<ModelChoice> choice;
  if (args.size() > 1) choice = parseModel(args[1], args.size() > 2 ? &args[2] : nullptr);
  // Without a model the store keeps the recognised one, or chooses one for an
  // image it does not recognise.
  ImageSession image(args[0], io);
  image.run(FormatArea{choice});
  return kExitDone;
}

int infoCommand(CommandArgs args, Streams& io) {
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  const CardSummary summary = image.card().summary();
  io.out << "model " << modelName(summary.model) << '\n'
         << "sectors " << summary.sectors << '\n'
         << "jobs " << summary.jobs << '\n'
         << "known " << summary.knownPoints << '\n'
         << "capacity " << summary.capacity << '\n'
         << "free " << summary.freeRecords << '\n';
  return kExitDone;
}

namespace {

int printLines(const std::vector<std::string>& lines, Streams& io) {
  for (const std::string& line : lines) printLine(io, line);
  return kExitDone;
}

}  // namespace

int jobsCommand(CommandArgs args, Streams& io) {
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  return printLines(image.card().jobLines(), io);
}

int knownCommand(CommandArgs args, Streams& io) {
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  return printLines(image.card().knownPointLines(), io);
}

int codesCommand(CommandArgs args, Streams& io) {
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  return printLines(image.card().featureCodes(), io);
}

int newJobCommand(CommandArgs args, Streams& io) {
  std::string name = typedName(args[1], "NAME");
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  image.requireChangesAllowed();
  image.run(CreateJob{name});
  return kExitDone;
}

int renameJobCommand(CommandArgs args, Streams& io) {
  std::string name = typedName(args[2], "NEWNAME");
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  image.requireChangesAllowed();
  const JobTarget job = resolveJob(image.card(), args[1], false);
  image.run(RenameJob{job.slot, name});
  return kExitDone;
}

int deleteJobCommand(CommandArgs args, Streams& io) {
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  image.requireChangesAllowed();
  const JobTarget job = resolveJob(image.card(), args[1], false);
  image.run(DeleteJob{job.position});
  return kExitDone;
}

int deleteRecordCommand(CommandArgs args, Streams& io) {
  int number = parseIndex(args[2], "INDEX");
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  image.requireChangesAllowed();
  const JobTarget job = resolveJob(image.card(), args[1], true);
  image.run(DeleteRecord{job.slot, number});
  return kExitDone;
}

int clearKnownCommand(CommandArgs args, Streams& io) {
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  image.requireChangesAllowed();
  image.run(ClearKnownPoints{});
  return kExitDone;
}

int addCodeCommand(CommandArgs args, Streams& io) {
  std::string code = typedName(args[1], "CODE");
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  image.requireChangesAllowed();
  image.run(AddFeatureCode{code});
  return kExitDone;
}

int deleteCodeCommand(CommandArgs args, Streams& io) {
  int position = parseIndex(args[1], "POSITION");
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  image.requireChangesAllowed();
  image.run(DeleteFeatureCode{position});
  return kExitDone;
}

int clearCodesCommand(CommandArgs args, Streams& io) {
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  image.requireChangesAllowed();
  image.run(ClearFeatureCodes{});
  return kExitDone;
}

}  // namespace vel::cli
