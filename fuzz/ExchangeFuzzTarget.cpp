#include <string>
#include <vector>

#include "exchange/CoordinateImport.h"
#include "exchange/ExchangeFile.h"
#include "exchange/ExchangeFormats.h"
#include "exchange/GridCellCheck.h"
#include "exchange/PointOutput.h"
#include "exchange/TextFormats.h"
#include "fuzz/FuzzTargets.h"
#include "records/PointLine.h"
#include "records/SurveyRecord.h"

namespace vel::fuzz {

namespace {

// Writes the point lines out in every format, as the output window would.
void writeEveryFormat(const std::vector<std::string>& pointLines) {
  for (int format = kQplFormat; format <= kDxfFormat; ++format) {
    exchangeFileText(format, pointLines);
  }
}

// Each point through the output grid, the grid check and back.
void throughTheGrid(const std::vector<SurveyPoint>& points) {
  std::vector<OutputRow> rows = outputGridCells(points);
  for (OutputRow& row : rows) {
    row[0] = checkTextCell(row[0]);
    for (int c = 1; c <= 3; ++c) {
      if (auto checked = checkCoordinateCell(row[c])) row[c] = *checked;
    }
  }
  writeEveryFormat(pointLinesOf(collectGridPoints(rows, points)));
}

// The point lines as points, as a file of QPL gives them.
std::vector<SurveyPoint> pointsOf(const std::vector<std::string>& lines) {
  return convertImportLines(kQplFormat, lines).points;
}

}  // namespace

void runExchangeInput(const uint8_t* data, size_t size) {
  if (size < 1) return;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::vector<std::string> lines = splitTextLines(text);

  switch (data[0] % 8) {
    case 0:
      for (const auto& line : lines) formatPtsLine(parsePtsLine(line));
      break;
    case 1:
      for (const auto& line : lines) {
        if (auto point = parseSv300Line(line)) formatSv300Line(*point);
      }
      break;
    case 2:
      for (const auto& line : lines) formatCassLine(parseCassLine(line));
      break;
    case 3:
      for (const auto& line : lines) formatCsvLine(parseCsvLine(line));
      break;
    case 4:
      if (auto points = convertScs2002Lines(lines)) writeEveryFormat(*points);
      break;
    case 5:
      // QPL: the lines are the point lines.
      throughTheGrid(pointsOf(lines));
      break;
    default: {
      // The whole import: any format, the grid cells, the confirm loop.
      const int format = kQplFormat + (data[0] / 8) % kCsvFormat;
      const ReadResult file = convertImportLines(format, lines);
      const std::vector<ImportRow> rows = importGridCells(file.points);
      const ImageByteOrder order(data[0] & 0x80);
      size_t stored = 0;
      storeImportRows(rows, 0, order, [&](uint8_t, const uint8_t*) { return ++stored % 97 != 0; });
      throughTheGrid(file.points);
      break;
    }
  }
}

}  // namespace vel::fuzz
