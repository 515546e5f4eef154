// What a GIS or CAD file holds, as the import reads it before the user says
// which field is the name, the code and the height: the fields' names and,
// per point, their values and its place. The points it becomes follow from
// the roles chosen, so that a changed choice needs no second reading.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "exchange/SurveyPoint.h"

namespace vel {

struct FeatureRow {
  std::vector<std::string> values;  // UTF-8, one per field
  double x = 0, y = 0, z = 0;       // easting, northing, height in the image's CRS
  bool hasZ = false;
  // A vertex of a line (read only when asked for), and which line: such a
  // point is named by a prefix and a running number.
  bool vertex = false;
};

struct FeatureTable {
  std::vector<std::string> fields;
  std::vector<FeatureRow> rows;
  std::string layer;  // the layer read
};

// Which field is which: its place in `fields`, or -1 for none (a height of
// -1 is the geometry's Z).
struct FieldRoles {
  int name = -1;
  int code = -1;
  int z = -1;
  friend bool operator==(const FieldRoles&, const FieldRoles&) = default;
};

// The roles guessed from the fields' names (any case): name, id, point,
// 点名, 点号 ... for the name; code, 编码, 特征码 ... for the code; z, h,
// height, elevation, 高程 ... for the height. The first field of each kind.
FieldRoles guessFieldRoles(const std::vector<std::string>& fields);

// The field named `name` (any case), or -1.
int fieldNamed(const std::vector<std::string>& fields, std::string_view name);

// The rows as points of code page 936: N the northing, E the easting, Z the
// height field (or the geometry's Z), each to the millimetre; a vertex is
// named `vertexPrefix` and its running number from 1.
std::vector<SurveyPoint> tablePoints(const FeatureTable& table, const FieldRoles& roles,
                                     std::string_view vertexPrefix);

// A number to the millimetre as the card writes it ("%ld.%03d").
std::string millimetreText(double value);

}  // namespace vel
