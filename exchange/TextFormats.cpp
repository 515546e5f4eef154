#include "exchange/TextFormats.h"

#include <cerrno>

#include "exchange/CoordinateImport.h"
#include "exchange/ExchangeFile.h"
#include "exchange/ExchangeFormats.h"
#include "records/PointLine.h"

// The labels are the file dialogs' words, translated there.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace vel {

bool isWrittenPoint(const SurveyPoint& p) {
  return !trimText(p.name).empty() && !trimText(p.n).empty() && !trimText(p.e).empty();
}

std::vector<std::string> pointLinesOf(const std::vector<SurveyPoint>& points) {
  std::vector<std::string> lines;
  lines.reserve(points.size());
  for (const SurveyPoint& p : points) {
    if (!isWrittenPoint(p)) continue;
    const std::string_view z = p.z.empty() ? std::string_view("0.000") : std::string_view(p.z);
    lines.push_back(buildPointLine(p.name, p.code, cutText(p.n, kPointCoordinateLimit),
                                   cutText(p.e, kPointCoordinateLimit),
                                   cutText(z, kPointCoordinateLimit)));
  }
  return lines;
}

CoordinateCut coordinatesCut(const std::vector<SurveyPoint>& points) {
  CoordinateCut cut;
  for (const SurveyPoint& p : points) {
    if (!isWrittenPoint(p)) continue;
    if (p.n.size() <= kPointCoordinateLimit && p.e.size() <= kPointCoordinateLimit &&
        p.z.size() <= kPointCoordinateLimit) {
      continue;
    }
    if (cut.points++ == 0) cut.first = p.name;
  }
  return cut;
}

namespace {

struct TextFormat {
  int id;
  const char* name;
  const char* label;
  const char* mask;
};

constexpr TextFormat kTextFormats[] = {
    {kQplFormat, "qpl", QT_TRANSLATE_NOOP("vel::Formats", "全站坐标记录文件"), "*.QPL"},
    {kPtsFormat, "pts", QT_TRANSLATE_NOOP("vel::Formats", "拓普康 GTS700/600/800 Points"), "*.pts"},
    {kScs2002Format, "scs2002", QT_TRANSLATE_NOOP("vel::Formats", "SCS2002 坐标文件"), "*.dat"},
    {kSv300Format, "sv300", QT_TRANSLATE_NOOP("vel::Formats", "SV300坐标文件"), "*.dat"},
    {kCassFormat, "cass", QT_TRANSLATE_NOOP("vel::Formats", "CASS5.X文件"), "*.DAT"},
    {kCsvFormat, "csv", QT_TRANSLATE_NOOP("vel::Formats", "文本文件(逗号分隔)"), "*.CSV"},
    {kDxfFormat, "dxf", QT_TRANSLATE_NOOP("vel::Formats", "AutoCAD DXF 文件"), "*.DXF"},
};

}  // namespace

void registerTextFormats(FormatRegistry& registry) {
  for (const TextFormat& format : kTextFormats) {
    ExchangeFormatEntry entry;
    entry.id = format.id;
    entry.name = format.name;
    entry.label = format.label;
    entry.masks = {format.mask};
    const int id = format.id;
    if (isImportFormat(id)) {
      entry.read = [id](const std::string& path) { return readImportFile(path, id); };
    }
    entry.text = [id](const std::vector<SurveyPoint>& points) {
      return exchangeFileText(id, pointLinesOf(points));
    };
    entry.write = [id](const std::string& path, const std::vector<SurveyPoint>& points,
                       const WriteContext&) {
      WriteResult result;
      if (!replaceFileWhole(path, exchangeFileText(id, pointLinesOf(points)))) {
        result.kind = WriteResult::Kind::kFailed;
        result.error = errno;
        return result;
      }
      const CoordinateCut cut = coordinatesCut(points);
      result.cutPoints = cut.points;
      result.firstCut = cut.first;
      return result;
    };
    registry.add(std::move(entry));
  }
}

}  // namespace vel
