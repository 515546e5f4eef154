#include "exchange/PointOutput.h"

#include <algorithm>

#include "records/PointLine.h"

namespace vel {

std::vector<SurveyPoint> outputPoints(std::vector<SurveyPoint> points) {
  std::erase_if(points, [](const SurveyPoint& p) { return p.kind == PointKind::kBS; });
  return points;
}

std::vector<OutputRow> outputGridCells(const std::vector<SurveyPoint>& points) {
  std::vector<OutputRow> rows;
  rows.reserve(points.size());
  for (const SurveyPoint& p : points) {
    // Through the point line: each field as its columns give it back.
    const std::string line = buildPointLine(p.name, p.code, p.n, p.e, p.z);
    rows.push_back({pointLineName(line), pointLineN(line), pointLineE(line), pointLineZ(line),
                    pointLineCode(line)});
  }
  return rows;
}

std::vector<SurveyPoint> collectGridPoints(const std::vector<OutputRow>& rows,
                                           const std::vector<SurveyPoint>& shown) {
  std::vector<SurveyPoint> points;
  const std::vector<OutputRow> filled = outputGridCells(shown);
  const std::size_t count = std::min(rows.size(), static_cast<std::size_t>(kOutputGridRows));
  for (std::size_t i = 0; i < count; ++i) {
    const auto& [name, n, e, z, code] = rows[i];
    if (trimText(name).empty() || trimText(n).empty() || trimText(e).empty()) continue;
    SurveyPoint point;
    if (i < shown.size()) {
      point.kind = shown[i].kind;
      point.job = shown[i].job;
    } else if (!shown.empty()) {
      point.job = shown.front().job;
    }
    point.name = name;
    point.code = code;
    // A coordinate cell left as it was filled keeps the card's value whole:
    // the cell shows 11 characters of a longer one.
    const auto exact = [&](int column, const std::string& cell, std::string SurveyPoint::*value) {
      return i < shown.size() && cell == filled[i][column] ? shown[i].*value : cell;
    };
    point.n = exact(1, n, &SurveyPoint::n);
    point.e = exact(2, e, &SurveyPoint::e);
    point.z = exact(3, z, &SurveyPoint::z);
    points.push_back(std::move(point));
  }
  return points;
}

}  // namespace vel
