#include "cli/ExchangeCommands.h"

#include <strings.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "card/ImageFileAccess.h"
#include "exchange/CoordinateImport.h"
#include "exchange/ExchangeFile.h"
#include "exchange/ExchangeFormats.h"
#include "exchange/PointOutput.h"
#include "records/CharacterFilters.h"
#include "records/MessageTexts.h"
#include "store/Gbk.h"

namespace vel::cli {
namespace {

constexpr std::array<const char*, 7> kFormatNames = {"qpl",  "pts", "scs2002", "sv300",
                                                     "cass", "csv", "dxf"};

// A coordinate typed into the dialog: only digits, "." and "-" get in, and an
// empty field cannot be confirmed.
FixedValue typedCoordinate(const std::string& text, const char* what) {
  std::string kept;
  for (char c : filterCoordinateText(text)) {
    if (static_cast<unsigned char>(c) >= 32 && c != 127) kept += c;
  }
  if (kept.empty()) failUsage(std::string(what) + " holds no digit, '.' or '-': " + text);
  return parseFixed(kept);
}

}  // namespace

int parseFormat(const std::string& text, bool forImport) {
  int format = 0;
  if (text.size() == 1 && text[0] >= '1' && text[0] <= '7') format = text[0] - '0';
  for (size_t i = 0; i < kFormatNames.size(); ++i) {
    if (strcasecmp(text.c_str(), kFormatNames[i]) == 0) format = static_cast<int>(i) + 1;
  }
  const bool allowed = forImport ? isImportFormat(format) : isExchangeFormat(format);
  if (!allowed) {
    failUsage("unknown format " + text +
              (forImport ? " (1 to 6: qpl, pts, scs2002, sv300, cass, csv)"
                         : " (1 to 7: qpl, pts, scs2002, sv300, cass, csv, dxf)"));
  }
  return format;
}

int recordsCommand(CommandArgs args, Streams& io) {
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  const JobTarget job = resolveJob(image.store(), args[1], true);
  for (const std::string& line : image.card().recordLines(job.slot)) {
    io.out << gbkToUtf8(line) << '\n';
  }
  return kExitDone;
}

int addPointCommand(CommandArgs args, Streams& io) {
  const std::string name = typedName(args[2], "NAME");
  const FixedValue n = typedCoordinate(args[3], "N");
  const FixedValue e = typedCoordinate(args[4], "E");
  const FixedValue z = typedCoordinate(args[5], "Z");
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  image.requireChangesAllowed();
  const JobTarget target = resolveJob(image.store(), args[1], true);
  image.checked(image.card().checkRoomForEntry(target.slot));
  image.checked(image.card().addPoint(target.slot, name, n, e, z));
  image.finishChanges();
  return kExitDone;
}

int exportCommand(CommandArgs args, Streams& io) {
  const int format = parseFormat(args[2], false);
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  RecordAreaStore& store = image.store();
  const JobTarget job = resolveJob(store, args[1], true);
  // The window's grid, filled from the job and saved unedited.
  const std::vector<std::string> lines =
      collectGridLines(outputGridCells(jobPointLines(store, job.slot)));
  const std::string& outFile = args[3];
  if (outFile != "-" && isSameFile(outFile, image.path())) {
    failIo("cannot write " + outFile + ": it is the image " + image.path());
  }
  if (outFile == "-") {
    io.out << exchangeFileText(format, lines);
  } else if (!writeExchangeFile(outFile, format, lines)) {
    failIo("cannot write " + outFile);
  }
  return kExitDone;
}

int importCommand(CommandArgs args, Streams& io) {
  const int format = parseFormat(args[2], true);
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  image.requireChangesAllowed();
  const JobTarget target = resolveJob(image.store(), args[1], true);
  // The known points page refuses at 3072 rows, the job page above 3071
  // records: the same limit.
  image.checked(image.card().checkRoomForEntry(target.slot));

  const ImportedFile file = readImportFile(args[3], format);
  if (file.status == ImportStatus::kFormatError) {
    throw CommandFailure{kExitUsage, kImportFormatErrorText};
  }
  if (file.status == ImportStatus::kFailed) {
    std::string message = kImportFailedText;
    // Files that could be read but are not taken say why; a file that cannot
    // be read at all says no more than the window does.
    if (file.error == EFBIG || file.error == kNotText || file.error == kUtf16Text ||
        file.error == kNotRegularFile) {
      message += '\n' + withoutCarriageReturns(file.problem);
    }
    throw CommandFailure{kExitUsage, message};
  }

  // The window's grid, confirmed unedited. What was stored stays stored: it
  // reaches the device before any refusal is reported.
  const CardSession::ImportOutcome outcome =
      image.card().importRows(importGridCells(file.pointLines), target.slot);
  // A failure, or a snapshot not kept, ends it before the commit.
  if (outcome.stop.writeFailed() || outcome.stop.notBackedUp()) image.checked(outcome.stop);
  image.finishChanges();
  image.checked(outcome.stop);
  return kExitDone;
}

}  // namespace vel::cli
