#include "exchange/FeatureTable.h"

#include <strings.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "store/FixedValue.h"
#include "store/Gbk.h"

namespace vel {
namespace {

// Field names for each role, most telling first; compared in any case.
const char* const kNameFields[] = {"name", "点名", "点号", "名称", "id", "point", "pointid",
                                   "pt", "pnt", "label", "text"};
const char* const kCodeFields[] = {"code", "编码", "特征码", "代码", "feature", "type"};
const char* const kHeightFields[] = {"z", "h", "height", "elevation", "elev", "高程", "alt",
                                     "altitude"};

int firstOf(const std::vector<std::string>& fields, const auto& names) {
  for (const char* name : names) {
    if (const int found = fieldNamed(fields, name); found >= 0) return found;
  }
  return -1;
}

std::optional<double> numberIn(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

int fieldNamed(const std::vector<std::string>& fields, std::string_view name) {
  const std::string wanted(name);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (strcasecmp(fields[i].c_str(), wanted.c_str()) == 0) return static_cast<int>(i);
  }
  return -1;
}

FieldRoles guessFieldRoles(const std::vector<std::string>& fields) {
  return {firstOf(fields, kNameFields), firstOf(fields, kCodeFields),
          firstOf(fields, kHeightFields)};
}

std::string millimetreText(double value) {
  // Beyond what the card's 32-bit metres hold, the nearest it holds.
  constexpr double kLimit = 1000.0 * std::numeric_limits<int32_t>::max();
  const long long thousandths = std::llround(std::clamp(value * 1000.0, -kLimit, kLimit));
  return formatFixed({static_cast<int32_t>(thousandths / 1000),
                      static_cast<int16_t>(thousandths % 1000)});
}

std::vector<SurveyPoint> tablePoints(const FeatureTable& table, const FieldRoles& roles,
                                     std::string_view vertexPrefix) {
  std::vector<SurveyPoint> points;
  points.reserve(table.rows.size());
  int vertices = 0;
  const auto value = [](const FeatureRow& row, int field) -> std::string {
    return field >= 0 && static_cast<std::size_t>(field) < row.values.size() ? row.values[field]
                                                                             : std::string();
  };
  for (const FeatureRow& row : table.rows) {
    SurveyPoint point;
    point.name = row.vertex ? std::string(vertexPrefix) + std::to_string(++vertices)
                            : utf8ToGbk(value(row, roles.name));
    point.code = utf8ToGbk(value(row, roles.code));
    point.n = millimetreText(row.y);
    point.e = millimetreText(row.x);
    if (roles.z >= 0) {
      const std::optional<double> height = numberIn(value(row, roles.z));
      point.z = height ? millimetreText(*height) : std::string();
    } else {
      point.z = row.hasZ ? millimetreText(row.z) : std::string();
    }
    points.push_back(std::move(point));
  }
  return points;
}

}  // namespace vel
