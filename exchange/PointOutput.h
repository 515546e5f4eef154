// The point output without its window: a job's points as the output grid
// shows them, and the points collected back from the grid.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "exchange/SurveyPoint.h"

namespace vel {

constexpr int kOutputGridRows = 3072;  // grid rows 1 to 3072; row 0 is the header

// The points of a job the output writes: PT, CRD and STN (a backsight
// carries coordinates too, but is no point of the job).
std::vector<SurveyPoint> outputPoints(std::vector<SurveyPoint> points);

// One grid row: name, N, E, Z, code, each as the point line's columns give
// it back (the columns the seven text formats are written from).
using OutputRow = std::array<std::string, 5>;
std::vector<OutputRow> outputGridCells(const std::vector<SurveyPoint>& points);

// rows[0] is grid row 1, shown[i] the point row i was filled from (its kind
// and job stay with it; a row past them is a PT of the same job). Rows
// whose trimmed name, N or E is empty are left out and the rest close up;
// every cell goes in as it is, but a coordinate cell that still holds what
// it was filled with gives the point's own value (the card's, whole). Rows after the 3072nd are not
// looked at.
std::vector<SurveyPoint> collectGridPoints(const std::vector<OutputRow>& rows,
                                           const std::vector<SurveyPoint>& shown);

}  // namespace vel
