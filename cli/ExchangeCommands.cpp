#include "cli/ExchangeCommands.h"

#include <strings.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/Gbk.h"
#include "records/MessageTexts.h"
#include "exchange/CoordinateImport.h"
#include "exchange/Data_format.h"
#include "exchange/ExchangeFile.h"
#include "exchange/PointOutput.h"
#include "records/CharacterFilters.h"
#include "records/SurveyRecord.h"

namespace vel::cli {
namespace {

constexpr std::array<const char*, 7> kFormatNames = {"qpl",  "pts", "scs2002", "sv300",
                                                     "cass", "csv", "dxf"};

// The pages refuse before they open a dialog: a job at 3072 records, or a
// known-point list of 3072 rows.
void checkRoomBeforeEntry(RecordAreaStore& store, const JobTarget& target) {
  if (store.recordCount(target.slot) >= kMaxJobRecords) {
    failRefused(target.knownPointFile ? kKnownFileFullBeforeText : kJobFullBeforeText);
  }
}

// AppendRecordChecked without the popup: the refusal text is kept for the end.
class CheckedAppend {
 public:
  explicit CheckedAppend(ImageSession& image) : image_(image) {}

  bool operator()(uint8_t slot, const uint8_t* record) {
    const uint8_t result = image_.store().appendRecord(slot, kRecordSize, record);
    if (result == kDone) return true;
    if (result == kWriteFailed) {
      writeFailed_ = true;
    } else {
      refusal_ = result == kJobFull ? kJobFullWhileStoringText : kRecordAreaFullText;
    }
    return false;
  }

  // What was stored stays stored: it reaches the device before any refusal.
  void finish() {
    if (writeFailed_) failIo("write to image " + image_.path() + " failed");
    image_.finishChanges();
    if (refusal_) failRefused(*refusal_);
  }

 private:
  ImageSession& image_;
  std::optional<std::string> refusal_;
  bool writeFailed_ = false;
};

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
  ImageSession image(args[0]);
  image.requireRecognisedImage();
  RecordAreaStore& store = image.store();
  const JobTarget job = resolveJob(store, args[1], true);
  std::array<uint8_t, kRecordSize> record{};
  for (int i = 0, n = store.recordCount(job.slot); i < n; ++i) {
    // A record the store cannot deliver keeps its line, empty, so that line i
    // stays record i for delete-record.
    if (store.readRecord(job.slot, i, kRecordSize, record.data()) != kDone) {
      io.out << '\n';
      continue;
    }
    io.out << gbkToUtf8(recordText(store.byteOrder(), record)) << '\n';
  }
  return kExitDone;
}

int addPointCommand(CommandArgs args, Streams&) {
  const std::string name = typedName(args[2], "NAME");
  const FixedValue n = typedCoordinate(args[3], "N");
  const FixedValue e = typedCoordinate(args[4], "E");
  const FixedValue z = typedCoordinate(args[5], "Z");
  ImageSession image(args[0]);
  image.requireRecognisedImage();
  RecordAreaStore& store = image.store();
  const JobTarget target = resolveJob(store, args[1], true);
  checkRoomBeforeEntry(store, target);

  std::array<uint8_t, kRecordSize> record{};
  buildPointRecord(store.byteOrder(), name, n, e, z, record);
  CheckedAppend append(image);
  append(target.slot, record.data());
  append.finish();
  return kExitDone;
}

int exportCommand(CommandArgs args, Streams& io) {
  const int format = parseFormat(args[2], false);
  ImageSession image(args[0]);
  image.requireRecognisedImage();
  RecordAreaStore& store = image.store();
  const JobTarget job = resolveJob(store, args[1], true);
  // The window's grid, filled from the job and saved unedited.
  const std::vector<std::string> lines =
      collectGridLines(outputGridCells(jobPointLines(store, job.slot)));
  const std::string& outFile = args[3];
  if (outFile == "-") {
    io.out << exchangeFileText(format, lines);
  } else if (!writeExchangeFile(outFile, format, lines)) {
    failIo("cannot write " + outFile);
  }
  return kExitDone;
}

int importCommand(CommandArgs args, Streams&) {
  const int format = parseFormat(args[2], true);
  ImageSession image(args[0]);
  image.requireRecognisedImage();
  RecordAreaStore& store = image.store();
  const JobTarget target = resolveJob(store, args[1], true);
  // The known points page refuses at 3072 rows, the job page above 3071
  // records: the same limit.
  checkRoomBeforeEntry(store, target);

  const ImportedFile file = readImportFile(args[3], format);
  if (file.status == ImportStatus::kFormatError) {
    throw CommandFailure{kExitUsage, kImportFormatErrorText};
  }
  if (file.status == ImportStatus::kFailed) throw CommandFailure{kExitUsage, kImportFailedText};

  // The window's grid, confirmed unedited.
  CheckedAppend append(image);
  storeImportRows(importGridCells(file.pointLines), target.slot, store.byteOrder(),
                  std::ref(append));
  append.finish();
  return kExitDone;
}

}  // namespace vel::cli
