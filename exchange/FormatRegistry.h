// Every format points are read from or written to, in one registry. Each
// format describes itself: a number of its own (the seven text formats keep
// 1 to 7), the name velcard knows it by, the label and file masks of the
// file dialogs, and its reader and writer over SurveyPoint. The dialogs'
// filter lists and velcard's format names come from here; formats of other
// libraries (the GIS formats) register themselves at start, so that neither
// this library nor the card session links them.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/FeatureTable.h"
#include "exchange/SurveyPoint.h"

namespace vel {

// Why a file gave no points, as a code with its values.
struct ReadProblem {
  enum class Kind {
    kNone,
    kUnreadable,     // the file cannot be read: `path`, `error` (and `line` for kNotText)
    kCountMismatch,  // an SCS2002 file whose count or end line does not fit
    kNoComma,        // an SV300 line without a comma: `line`
    kNotReadable,    // the format is written only: `format`
    kOther,          // a reader of another library says why in `detail` (UTF-8)
    kCrsMismatch,    // the file has a CRS and the image none, or the other way round
    kNoPoints,       // the file (`detail`: its layer) holds no point to read
  };
  Kind kind = Kind::kNone;
  std::string path;
  int error = 0;
  std::size_t line = 0;
  int format = 0;
  std::string detail;
  // kCrsMismatch: each side's CRS ("EPSG:4326 WGS 84"), empty for none.
  std::string fileCrs;
  std::string imageCrs;
};

struct ReadResult {
  std::vector<SurveyPoint> points;
  ReadProblem problem;
  // The points whose coordinates were cut to 11 characters: the point (from
  // 0) and which (bit 0 N, 1 E, 2 Z).
  struct Cut {
    std::size_t point;
    unsigned coordinates;
  };
  std::vector<Cut> cutPoints;
  bool read() const { return problem.kind == ReadProblem::Kind::kNone; }
};

// What a GIS reader needs besides the file.
struct ReadContext {
  std::string crs;     // the image's ("EPSG:4548"), empty for local coordinates
  std::string layer;   // empty: the first layer that holds points
  bool lines = false;  // the vertices of lines and areas too
};

// A GIS file as read, before its fields are given roles.
struct TableResult {
  FeatureTable table;
  ReadProblem problem;
  bool read() const { return problem.kind == ReadProblem::Kind::kNone; }
};

// What a writer may need besides the points.
struct WriteContext {
  // The coordinate reference system of the points ("EPSG:4548"); empty for
  // local coordinates.
  std::string crs;
};

struct WriteResult {
  enum class Kind {
    kWritten,
    kFailed,    // the file cannot be written (`error`); any old one is left as it was
    kNeedsCrs,  // the format cannot place points without a CRS; nothing written
    kOther,     // a writer of another library says why in `detail` (UTF-8)
  };
  Kind kind = Kind::kWritten;
  int error = 0;
  std::string detail;
  // Coordinates longer than the format holds, cut as it writes them: how
  // many points, and the first one's name.
  int cutPoints = 0;
  std::string firstCut;
  bool written() const { return kind == Kind::kWritten; }
};

struct ExchangeFormatEntry {
  int id = 0;
  std::string name;  // velcard's name for it: "qpl", "gpkg"
  // The file dialogs' description, marked for translation in the context
  // "vel::Formats", and the file masks ("*.QPL"); the first mask's
  // extension is the one a name typed without any gets.
  const char* label = "";
  std::vector<std::string> masks;
  std::function<ReadResult(const std::string& path)> read;  // empty: written only
  // A GIS format's reader: the file's fields and points, in the image's CRS.
  std::function<TableResult(const std::string& path, const ReadContext& context)> readTable;
  std::function<WriteResult(const std::string& path, const std::vector<SurveyPoint>& points,
                            const WriteContext& context)>
      write;  // empty: read only
  // The whole file as bytes, for a format that is text (velcard writes it
  // to the standard output).
  std::function<std::string(const std::vector<SurveyPoint>& points)> text;

  bool reads() const { return static_cast<bool>(read) || static_cast<bool>(readTable); }
  bool writes() const { return static_cast<bool>(write); }
};

class FormatRegistry {
 public:
  // The program's registry, holding the seven text formats from the start.
  static FormatRegistry& instance();

  // A number already taken replaces the entry that had it.
  void add(ExchangeFormatEntry entry);
  const ExchangeFormatEntry* byId(int id) const;
  // Its name, or its number as a text; any letter case.
  const ExchangeFormatEntry* byName(std::string_view name) const;
  // The formats that read, and those that write, by their numbers: the
  // order of the file dialogs' filter lists.
  std::vector<const ExchangeFormatEntry*> readers() const;
  std::vector<const ExchangeFormatEntry*> writers() const;

 private:
  std::vector<ExchangeFormatEntry> entries_;
};

}  // namespace vel
