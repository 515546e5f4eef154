#include "cli/ExchangeCommands.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "card/CrsMemory.h"
#include "card/ImageFileAccess.h"
#include "exchange/CoordinateImport.h"
#include "exchange/ExchangeFile.h"
#include "exchange/FeatureTable.h"
#include "exchange/FormatCheck.h"
#include "exchange/FormatRegistry.h"
#include "exchange/PointOutput.h"
#include "exchange/TextFormats.h"
#include "messages/MessageTexts.h"
#include "messages/Messages.h"
#include "records/CharacterFilters.h"
#include "store/Gbk.h"

namespace vel::cli {
namespace {

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

// "1 to 7: qpl, pts, ..." for the formats that read or write.
std::string formatList(const std::vector<const ExchangeFormatEntry*>& formats) {
  std::string list = "1 to " + std::to_string(formats.empty() ? 0 : formats.back()->id) + ":";
  for (size_t i = 0; i < formats.size(); ++i) list += (i ? ", " : " ") + formats[i]->name;
  return list;
}

}  // namespace

const ExchangeFormatEntry& parseFormat(const std::string& text, bool forImport) {
  const FormatRegistry& registry = FormatRegistry::instance();
  const ExchangeFormatEntry* format = registry.byName(text);
  if (format == nullptr || !(forImport ? format->reads() : format->writes())) {
    failUsage("unknown format " + text + " (" +
              formatList(forImport ? registry.readers() : registry.writers()) + ")");
  }
  return *format;
}

int recordsCommand(CommandArgs args, Streams& io) {
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  const JobTarget job = resolveJob(image.card(), args[1], true);
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
  const JobTarget target = resolveJob(image.card(), args[1], true);
  if (const Refusal full = image.card().roomForEntry(target.slot); full != Refusal::kNone) {
    image.checked(Outcome::refusedFor(full));
  }
  image.run(AddPoint{target.slot, name, n, e, z});
  return kExitDone;
}

namespace {

const ExchangeFormatEntry& formatOfFile(const std::string& file, bool forImport) {
  // Only the extensions that name one format for sure; .csv and .dxf have two.
  static const std::array<std::pair<const char*, const char*>, 4> kByExtension{
      {{".gpkg", "gpkg"}, {".shp", "shp"}, {".geojson", "geojson"}, {".kml", "kml"}}};
  const std::string extension = std::filesystem::path(file).extension().string();
  for (const auto& [ext, name] : kByExtension) {
    if (strcasecmp(extension.c_str(), ext) == 0) return parseFormat(name, forImport);
  }
  failUsage("FORMAT is needed for " + file + " (only .gpkg, .shp, .geojson and .kml name theirs)");
}

std::string crsOfImage(const Streams& io, const std::string& image) {
  return io.crs ? *io.crs : rememberedCrs(image);
}

}  // namespace

int exportCommand(CommandArgs args, Streams& io) {
  // FORMAT may be left out when OUTFILE's extension names it.
  const std::string& outFile = args.back();
  const ExchangeFormatEntry& format =
      args.size() == 4 ? parseFormat(args[2], false) : formatOfFile(outFile, false);
  ImageSession image(args[0], io);
  image.requireRecognisedImage();
  const JobTarget job = resolveJob(image.card(), args[1], true);
  // The window's grid, filled from the job and saved unedited.
  const std::vector<SurveyPoint> shown = outputPoints(image.card().points(job.slot));
  const std::vector<SurveyPoint> points = collectGridPoints(outputGridCells(shown), shown);
  if (outFile != "-" && isSameFile(outFile, image.path())) {
    failIo("cannot write " + outFile + ": it is the image " + image.path());
  }
  WriteResult result;
  if (outFile == "-") {
    if (!format.text)
      failUsage("format " + format.name + " cannot be written to the standard output");
    io.out << format.text(points);
    const CoordinateCut cut = coordinatesCut(points);
    result.cutPoints = cut.points;
    result.firstCut = cut.first;
  } else {
    result = format.write(outFile, points, WriteContext{crsOfImage(io, image.path())});
  }
  if (result.kind == WriteResult::Kind::kNeedsCrs) {
    failUsage(withoutCarriageReturns(writeProblemText(result, asWritten)) +
              "\n(give --crs EPSG:N)");
  }
  if (!result.written()) {
    failIo("cannot write " + outFile + ": " +
           withoutCarriageReturns(writeProblemText(result, asWritten)));
  }
  // The file is written as asked; that digits were cut is said beside it.
  if (const std::string cut = coordinatesCutText(result, asWritten); !cut.empty()) {
    io.err << "velcard: " << withoutCarriageReturns(cut) << '\n';
  }
  return kExitDone;
}

namespace {

// import's words besides IMAGE JOB [FORMAT] INFILE.
struct ImportOptions {
  std::vector<std::string> operands;
  ReadContext context;
  std::string nameField, codeField, zField;
  bool strict = false;  // a text file that does not fit its FORMAT is a usage error
};

ImportOptions importOptions(CommandArgs args) {
  ImportOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    std::string* value = word == "--layer"        ? &options.context.layer
                         : word == "--name-field" ? &options.nameField
                         : word == "--code-field" ? &options.codeField
                         : word == "--z-field"    ? &options.zField
                                                  : nullptr;
    if (value != nullptr) {
      if (i + 1 == args.size()) failUsage(word + " takes a name");
      *value = args[++i];
    } else if (word == "--lines") {
      options.context.lines = true;
    } else if (word == "--strict") {
      options.strict = true;
    } else {
      options.operands.push_back(word);
    }
  }
  if (options.operands.size() < 3 || options.operands.size() > 4) {
    failUsage("wrong number of arguments for import");
  }
  return options;
}

// The points of a GIS file: its fields given the roles asked for, else
// those their names suggest; vertices of lines named L1, L2 ...
ReadResult gisFilePoints(const ExchangeFormatEntry& format, const std::string& file,
                         const ImportOptions& options) {
  ReadResult result;
  TableResult read = format.readTable(file, options.context);
  if (!read.read()) {
    result.problem = read.problem;
    return result;
  }
  const std::vector<std::string>& fields = read.table.fields;
  FieldRoles roles = guessFieldRoles(fields);
  const auto chosen = [&](const std::string& name, int& role) {
    if (name.empty()) return;
    role = fieldNamed(fields, name);
    if (role >= 0) return;
    std::string known;
    for (const std::string& field : fields) known += (known.empty() ? "" : ", ") + field;
    failUsage("no field " + name + " in layer " + read.table.layer + " (fields: " + known + ")");
  };
  chosen(options.nameField, roles.name);
  chosen(options.codeField, roles.code);
  chosen(options.zField, roles.z);
  result.points = tablePoints(read.table, roles, "L");
  if (result.points.size() > static_cast<std::size_t>(kImportGridRows)) {
    result.points.resize(kImportGridRows);
  }
  return result;
}

// A text file whose first lines do not fit its FORMAT: said on stderr with
// the format that fits, and read as told; a usage error with --strict.
void checkTextFile(const ExchangeFormatEntry& format, const std::string& file, bool strict,
                   Streams& io) {
  const std::optional<std::vector<std::string>> lines = readTextLines(file);
  if (!lines) return;  // the reader says why
  const FormatFit fit = checkTextFormat(format.id, *lines);
  if (fit.fits) return;
  std::string message = formatMisfitText(format.id, fit.line, fit.text, asWritten);
  if (const int fitting = suggestedTextFormat(format.id, *lines); fitting != 0) {
    const std::string name = FormatRegistry::instance().byId(fitting)->name;
    message += "\nit looks like FORMAT " + name + " (" + std::to_string(fitting) + ")";
  }
  message = withoutCarriageReturns(message);
  if (strict) failUsage(message);
  io.err << "velcard: " << message << "; read as " << format.name << " as told\n";
}

}  // namespace

int importCommand(CommandArgs args, Streams& io) {
  ImportOptions options = importOptions(args);
  const std::vector<std::string>& operands = options.operands;
  const std::string& inFile = operands.back();
  const ExchangeFormatEntry& format =
      operands.size() == 4 ? parseFormat(operands[2], true) : formatOfFile(inFile, true);
  ImageSession image(operands[0], io);
  image.requireRecognisedImage();
  image.requireChangesAllowed();
  const JobTarget target = resolveJob(image.card(), operands[1], true);
  // The known points page refuses at 3072 rows, the job page above 3071
  // records: the same limit.
  if (const Refusal full = image.card().roomForEntry(target.slot); full != Refusal::kNone) {
    image.checked(Outcome::refusedFor(full));
  }

  if (!format.readTable) checkTextFile(format, inFile, options.strict, io);
  options.context.crs = crsOfImage(io, image.path());
  const ReadResult file =
      format.readTable ? gisFilePoints(format, inFile, options) : format.read(inFile);
  const ReadProblem& problem = file.problem;
  if (problem.kind == ReadProblem::Kind::kCountMismatch) {
    throw CommandFailure{kExitUsage, kImportFormatErrorText};
  }
  if (!file.read()) {
    std::string message = kImportFailedText;
    // Files that could be read but are not taken say why; a file that cannot
    // be read at all says no more than the window does.
    const int error = problem.error;
    const bool saysWhy =
        problem.kind == ReadProblem::Kind::kUnreadable
            ? error == EFBIG || error == kNotText || error == kUtf16Text || error == kNotRegularFile
            : problem.kind != ReadProblem::Kind::kNoComma;
    if (saysWhy) message += '\n' + withoutCarriageReturns(readProblemText(problem, asWritten));
    throw CommandFailure{kExitUsage, message};
  }

  // The window's grid, confirmed unedited. What was stored before a refusal
  // stays stored: it is on the card before the refusal is reported. Names
  // that would break every later export are refused first, all of them.
  std::vector<ImportRow> rows = importGridCells(file.points);
  if (const std::vector<std::size_t> bad = rowsBreakingFiles(rows); !bad.empty()) {
    throw CommandFailure{kExitUsage, nameBreaksFilesText(bad, asWritten)};
  }
  image.run(ImportRows{target.slot, std::move(rows)});
  if (const std::string cut = importCutText(file, asWritten); !cut.empty()) {
    io.err << "velcard: " << cut << '\n';
  }
  // A GIS file's points without a name are no rows of the grid: say so.
  if (format.readTable) {
    const auto unnamed = std::count_if(file.points.begin(), file.points.end(),
                                       [](const SurveyPoint& p) { return !isWrittenPoint(p); });
    if (unnamed > 0) {
      io.err << "velcard: " << unnamed
             << " points of the file have no name and were not stored (--name-field)\n";
    }
  }
  return kExitDone;
}

}  // namespace vel::cli
