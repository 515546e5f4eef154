#include "records/PlanGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <unordered_map>

namespace vel {

namespace {

constexpr double kSecondsInCircle = 360.0 * 3600.0;

double clampScale(double scale) {
  if (!std::isfinite(scale)) return PlanTransform::kMaximumScale;
  return std::clamp(scale, PlanTransform::kMinimumScale, PlanTransform::kMaximumScale);
}

bool usable(const ViewRect& r) {
  return std::isfinite(r.left) && std::isfinite(r.top) && std::isfinite(r.width) &&
         std::isfinite(r.height) && r.width > 0.0 && r.height > 0.0;
}

// Cells of a row of `count` cells of size `cell` from `origin`; cell i spans
// [cellStart(i), cellStart(i + 1)). first > last when there is none. Each range
// starts from the division's estimate and is then settled against the cell
// bounds as cellStart computes them, so that marking and testing agree to the
// last bit.
struct CellRange {
  int first;
  int last;
};

double cellStart(double origin, double cell, int index) {
  return origin + index * cell;
}

int clampedCell(double estimate, int count) {
  return static_cast<int>(std::clamp(estimate, 0.0, count - 1.0));
}

// The cells wholly inside [from, to).
CellRange innerCells(double from, double to, double origin, double cell, int count) {
  const auto start = [&](int i) { return cellStart(origin, cell, i); };
  int first = clampedCell(std::ceil((from - origin) / cell), count);
  while (first > 0 && start(first - 1) >= from) --first;
  while (first < count && start(first) < from) ++first;
  int last = clampedCell(std::floor((to - origin) / cell) - 1.0, count);
  while (last + 1 < count && start(last + 2) <= to) ++last;
  while (last >= 0 && start(last + 1) > to) --last;
  return {first, last};
}

// The cells that (from, to) meets over a positive length.
CellRange touchedCells(double from, double to, double origin, double cell, int count) {
  const auto start = [&](int i) { return cellStart(origin, cell, i); };
  int first = clampedCell(std::floor((from - origin) / cell), count);
  while (first > 0 && start(first) > from) --first;
  while (first < count && start(first + 1) <= from) ++first;
  int last = clampedCell(std::ceil((to - origin) / cell) - 1.0, count);
  while (last + 1 < count && start(last + 1) < to) ++last;
  while (last >= 0 && start(last) >= to) --last;
  return {first, last};
}

// The bits of cells first to last within one row of 64-bit words, word by
// word, while `visit` returns true.
template <typename Word, typename Visit>
void forEachWord(Word* line, CellRange xs, Visit visit) {
  if (xs.first > xs.last) return;
  for (int w = xs.first / 64; w <= xs.last / 64; ++w) {
    const int from = std::max(xs.first, w * 64) - w * 64;
    const int to = std::min(xs.last, w * 64 + 63) - w * 64;
    const uint64_t upTo = to == 63 ? ~uint64_t{0} : (uint64_t{1} << (to + 1)) - 1;
    if (!visit(line[w], upTo & ~((uint64_t{1} << from) - 1))) return;
  }
}

// Fine cells over the rectangles taken, in two layers: the cells each
// rectangle covers wholly, and the cells it meets at all. A place that meets a
// wholly covered cell surely overlaps what covered it; a place that meets no
// cell any rectangle met surely overlaps nothing. Only places in between are
// compared rectangle by rectangle, so a crowded view is decided mostly here.
class CoverBitmap {
 public:
  enum class Answer { kTaken, kFree, kUnsure };

  void reset(double left, double top, double cell, int columns, int rows) {
    left_ = left;
    top_ = top;
    cell_ = cell;
    columns_ = columns;
    rows_ = rows;
    wordsPerRow_ = (columns + 63) / 64;
    covered_.assign(static_cast<std::size_t>(wordsPerRow_) * rows, 0);
    met_.assign(covered_.size(), 0);
  }

  void add(const ViewRect& r) {
    mark(covered_, innerCells(r.left, r.right(), left_, cell_, columns_),
         innerCells(r.top, r.bottom(), top_, cell_, rows_));
    mark(met_, touchedCells(r.left, r.right(), left_, cell_, columns_),
         touchedCells(r.top, r.bottom(), top_, cell_, rows_));
  }

  Answer test(const ViewRect& r) const {
    if (columns_ == 0) return Answer::kUnsure;
    const CellRange xs = touchedCells(r.left, r.right(), left_, cell_, columns_);
    const CellRange ys = touchedCells(r.top, r.bottom(), top_, cell_, rows_);
    if (any(covered_, xs, ys)) return Answer::kTaken;
    return any(met_, xs, ys) ? Answer::kUnsure : Answer::kFree;
  }

 private:
  void mark(std::vector<uint64_t>& bits, CellRange xs, CellRange ys) {
    for (int y = ys.first; y <= ys.last; ++y) {
      forEachWord(bits.data() + static_cast<std::size_t>(y) * wordsPerRow_, xs,
                  [](uint64_t& word, uint64_t mask) {
                    word |= mask;
                    return true;
                  });
    }
  }

  bool any(const std::vector<uint64_t>& bits, CellRange xs, CellRange ys) const {
    bool hit = false;
    for (int y = ys.first; y <= ys.last && !hit; ++y) {
      forEachWord(bits.data() + static_cast<std::size_t>(y) * wordsPerRow_, xs,
                  [&hit](uint64_t word, uint64_t mask) {
                    hit = (word & mask) != 0;
                    return !hit;
                  });
    }
    return hit;
  }

  double left_ = 0.0;
  double top_ = 0.0;
  double cell_ = 1.0;
  int columns_ = 0;
  int rows_ = 0;
  int wordsPerRow_ = 0;
  std::vector<uint64_t> covered_;
  std::vector<uint64_t> met_;
};

// The rectangles taken so far, in a grid of square buckets about as large as
// a label is high over the area all of them cover: a test then looks at the
// few rectangles near it rather than at every one taken.
class LabelGrid {
 public:
  LabelGrid(const std::vector<ViewRect>& candidates, const std::vector<ViewRect>& fixed) {
    double shortSide = 1.0;
    double longSide = 1.0;
    double left = std::numeric_limits<double>::infinity();
    double top = left;
    double right = -left;
    double bottom = -left;
    for (const auto* list : {&candidates, &fixed}) {
      for (const ViewRect& r : *list) {
        if (!usable(r)) continue;
        shortSide = std::max(shortSide, std::min(r.width, r.height));
        longSide = std::max({longSide, r.width, r.height});
        left = std::min(left, r.left);
        top = std::min(top, r.top);
        right = std::max(right, r.right());
        bottom = std::max(bottom, r.bottom());
      }
    }
    if (right < left) return;  // nothing usable: nothing will be added
    // At most 256 buckets either way, however far apart the rectangles lie,
    // and no rectangle spans more than 17 of them, however long it is.
    constexpr double kMostAcross = 256.0;
    const double spanX = right - left;  // may overflow to infinity
    const double spanY = bottom - top;
    size_ = std::max({shortSide, longSide / 16.0, spanX / kMostAcross, spanY / kMostAcross});
    left_ = left;
    top_ = top;
    if (!std::isfinite(size_)) {
      // Rectangles further apart than a double can measure: one bucket, and
      // no cells, whose bounds could not be told apart.
      size_ = 1.0;
      columns_ = rows_ = 1;
      buckets_.resize(1);
      return;
    }
    // One more than the spans need, so that the cells reach past the far edge
    // however the sums round.
    columns_ = static_cast<int>(std::min(std::floor(spanX / size_), kMostAcross)) + 2;
    rows_ = static_cast<int>(std::min(std::floor(spanY / size_), kMostAcross)) + 2;
    buckets_.resize(static_cast<std::size_t>(columns_) * rows_);
    constexpr int kFine = 8;  // cells of the bitmap across a bucket
    cover_.reset(left_, top_, size_ / kFine, columns_ * kFine, rows_ * kFine);
  }

  bool isFree(const ViewRect& r) const {
    const CoverBitmap::Answer quick = cover_.test(r);
    if (quick != CoverBitmap::Answer::kUnsure) return quick == CoverBitmap::Answer::kFree;
    const Span span = spanOf(r);
    for (int c = span.column0; c <= span.column1; ++c) {
      for (int y = span.row0; y <= span.row1; ++y) {
        for (const ViewRect& taken : buckets_[index(c, y)]) {
          if (r.overlaps(taken)) return false;
        }
      }
    }
    return true;
  }

  void add(const ViewRect& r) {
    cover_.add(r);
    const Span span = spanOf(r);
    for (int c = span.column0; c <= span.column1; ++c) {
      for (int y = span.row0; y <= span.row1; ++y) buckets_[index(c, y)].push_back(r);
    }
  }

 private:
  struct Span {
    int column0, column1, row0, row1;
  };

  // Only ever asked for rectangles of the constructor's lists.
  Span spanOf(const ViewRect& r) const {
    const auto cell = [this](double offset, int count) {
      return static_cast<int>(std::clamp(std::floor(offset / size_), 0.0, count - 1.0));
    };
    return {cell(r.left - left_, columns_), cell(r.right() - left_, columns_),
            cell(r.top - top_, rows_), cell(r.bottom() - top_, rows_)};
  }
  std::size_t index(int column, int row) const {
    return static_cast<std::size_t>(row) * columns_ + column;
  }

  double size_ = 1.0;
  double left_ = 0.0;
  double top_ = 0.0;
  int columns_ = 0;
  int rows_ = 0;
  std::vector<std::vector<ViewRect>> buckets_;
  CoverBitmap cover_;
};

}  // namespace

PlanTransform::PlanTransform(GroundPoint anchor, ViewPoint anchorPixel, double pixelsPerMetre)
    : anchor_(anchor), anchorPixel_(anchorPixel), scale_(clampScale(pixelsPerMetre)) {}

ViewPoint PlanTransform::toView(double n, double e) const {
  return {anchorPixel_.x + (e - anchor_.e) * scale_, anchorPixel_.y - (n - anchor_.n) * scale_};
}

GroundPoint PlanTransform::toGround(ViewPoint pixel) const {
  return {anchor_.n - (pixel.y - anchorPixel_.y) / scale_,
          anchor_.e + (pixel.x - anchorPixel_.x) / scale_};
}

void PlanTransform::zoomAbout(ViewPoint pixel, double factor) {
  if (!(factor > 0.0) || !std::isfinite(factor)) return;
  anchor_ = toGround(pixel);
  anchorPixel_ = pixel;
  scale_ = clampScale(scale_ * factor);
}

void PlanTransform::pan(double dx, double dy) {
  anchorPixel_.x += dx;
  anchorPixel_.y += dy;
}

std::optional<PlanTransform> fitPoints(const std::vector<GroundPoint>& points, const ViewRect& area,
                                       double margin) {
  if (points.empty()) return std::nullopt;
  double minN = points.front().n, maxN = minN;
  double minE = points.front().e, maxE = minE;
  for (const GroundPoint& p : points) {
    minN = std::min(minN, p.n);
    maxN = std::max(maxN, p.n);
    minE = std::min(minE, p.e);
    maxE = std::max(maxE, p.e);
  }
  // A view smaller than its margins still gets a scale rather than a division by zero.
  const double innerWidth = std::max(area.width - 2.0 * margin, 1.0);
  const double innerHeight = std::max(area.height - 2.0 * margin, 1.0);
  const double spanE = maxE - minE;
  const double spanN = maxN - minN;

  double scale;
  if (spanE <= 0.0 && spanN <= 0.0) {
    scale = std::min(innerWidth, innerHeight) / kLonePointSpan;
  } else {
    // A set on one line north-south or east-west is fitted along that line.
    constexpr double kUnbounded = std::numeric_limits<double>::infinity();
    scale = std::min(spanE > 0.0 ? innerWidth / spanE : kUnbounded,
                     spanN > 0.0 ? innerHeight / spanN : kUnbounded);
  }
  const GroundPoint centre{minN + spanN / 2.0, minE + spanE / 2.0};
  const ViewPoint middle{area.left + area.width / 2.0, area.top + area.height / 2.0};
  return PlanTransform(centre, middle, scale);
}

double horizontalDistance(GroundPoint from, GroundPoint to) {
  return std::hypot(to.n - from.n, to.e - from.e);
}

double bearingDegrees(GroundPoint from, GroundPoint to) {
  const double dn = to.n - from.n;
  const double de = to.e - from.e;
  if (dn == 0.0 && de == 0.0) return 0.0;
  double degrees = std::atan2(de, dn) * 180.0 / std::numbers::pi;
  if (degrees < 0.0) degrees += 360.0;
  // -1e-17 + 360 rounds to 360 itself.
  return degrees >= 360.0 ? 0.0 : degrees;
}

double heightDifference(double fromZ, double toZ) {
  return toZ - fromZ;
}

std::string bearingDmsText(double degrees) {
  long long seconds = std::llround(degrees * 3600.0);
  seconds %= static_cast<long long>(kSecondsInCircle);
  if (seconds < 0) seconds += static_cast<long long>(kSecondsInCircle);
  char text[40];
  std::snprintf(text, sizeof text, "%lld°%02lld′%02lld″", seconds / 3600, seconds / 60 % 60,
                seconds % 60);
  return text;
}

std::string bearingDecimalText(double degrees) {
  constexpr double kSteps = 1e6;
  long long millionths = std::llround(degrees * kSteps);
  const long long circle = 360LL * 1000000LL;
  millionths %= circle;
  if (millionths < 0) millionths += circle;
  char text[40];
  std::snprintf(text, sizeof text, "%lld.%06lld°", millionths / 1000000, millionths % 1000000);
  return text;
}

double scaleBarMetres(double pixelsPerMetre, double maxPixels) {
  if (!(pixelsPerMetre > 0.0) || !(maxPixels > 0.0)) return 0.0;
  const double longest = maxPixels / pixelsPerMetre;
  double power = std::pow(10.0, std::floor(std::log10(longest)));
  // log10 may land a hair off for exact powers of ten.
  if (power > longest) power /= 10.0;
  if (power * 10.0 <= longest) power *= 10.0;
  for (const double step : {5.0, 2.0, 1.0}) {
    if (step * power <= longest) return step * power;
  }
  return power;
}

std::string scaleBarText(double metres) {
  char text[40];
  if (metres >= 1000.0) {
    std::snprintf(text, sizeof text, "%g km", metres / 1000.0);
  } else {
    std::snprintf(text, sizeof text, "%g m", metres);
  }
  return text;
}

std::vector<bool> thinLabels(const std::vector<ViewRect>& labels,
                             const std::vector<ViewRect>& fixed) {
  const std::vector<int> places = placeLabels(labels, 1, fixed);
  std::vector<bool> kept(places.size());
  for (std::size_t i = 0; i < places.size(); ++i) kept[i] = places[i] == 0;
  return kept;
}

std::vector<int> placeLabels(const std::vector<ViewRect>& candidates, int places,
                             const std::vector<ViewRect>& fixed) {
  if (places < 1) return {};
  const std::size_t labels = candidates.size() / places;
  std::vector<int> chosen(labels, -1);
  LabelGrid grid(candidates, fixed);
  for (const ViewRect& r : fixed) {
    if (usable(r)) grid.add(r);
  }
  for (std::size_t i = 0; i < labels; ++i) {
    for (int place = 0; place < places; ++place) {
      const ViewRect& r = candidates[i * places + place];
      if (!usable(r) || !grid.isFree(r)) continue;
      grid.add(r);
      chosen[i] = place;
      break;
    }
  }
  return chosen;
}

std::vector<int> stackLeaders(const std::vector<ViewPoint>& pixels, double radius) {
  std::vector<int> leader(pixels.size());
  // Leaders in square cells of the radius: a point's leader can only be in its
  // own cell or the eight around it.
  const double cell = radius > 0.0 ? radius : 1.0;
  const auto key = [](long long column, long long row) {
    return static_cast<uint64_t>(column) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(row);
  };
  std::unordered_multimap<uint64_t, int> leaders;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const ViewPoint p = pixels[i];
    leader[i] = static_cast<int>(i);
    const double cx = std::floor(p.x / cell);
    const double cy = std::floor(p.y / cell);
    // Beyond this a cell number is no longer exact; such a point is far
    // outside any view.
    constexpr double kFar = 1e15;
    if (!(std::abs(cx) < kFar && std::abs(cy) < kFar)) continue;
    const auto column = static_cast<long long>(cx);
    const auto row = static_cast<long long>(cy);
    int best = -1;
    for (long long c = column - 1; c <= column + 1; ++c) {
      for (long long r = row - 1; r <= row + 1; ++r) {
        const auto [from, to] = leaders.equal_range(key(c, r));
        for (auto it = from; it != to; ++it) {
          const ViewPoint q = pixels[it->second];
          if (std::abs(q.x - p.x) <= radius && std::abs(q.y - p.y) <= radius &&
              (best < 0 || it->second < best)) {
            best = it->second;
          }
        }
      }
    }
    if (best >= 0) {
      leader[i] = best;
    } else {
      leaders.emplace(key(column, row), static_cast<int>(i));
    }
  }
  return leader;
}

namespace {

std::string_view trimmedName(std::string_view name) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\0'; };
  while (!name.empty() && blank(name.front())) name.remove_prefix(1);
  while (!name.empty() && blank(name.back())) name.remove_suffix(1);
  return name;
}

// Names are GBK: the case of a letter counts only for single bytes, since a
// double byte's second half may fall in the range of ASCII letters.
unsigned char asciiLower(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x >= 0x81 && i + 1 < a.size()) {
      if (x != y || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (asciiLower(x) != asciiLower(y)) {
      return false;
    }
  }
  return true;
}

}  // namespace

int findPlanPoint(const std::vector<PlanPoint>& points, int count, std::string_view name) {
  const std::string_view wanted = trimmedName(name);
  if (wanted.empty()) return -1;
  const int end = std::min(count, static_cast<int>(points.size()));
  for (int i = 0; i < end; ++i) {
    if (sameName(trimmedName(points[i].name), wanted)) return i;
  }
  return -1;
}

}  // namespace vel
