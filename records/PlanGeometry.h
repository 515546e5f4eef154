// The geometry of the plan view without its window: points on the ground (N,
// E, Z in metres) placed on view pixels at equal scale with E to the right and
// N up, the inverse calculation between two points, the scale bar's length,
// which labels fit without overprinting each other, and which points lie on
// one another at the current zoom.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

enum class PlanPointKind : uint8_t { kStation, kBacksight, kMeasured, kKnown };

struct PlanPoint {
  std::string name;  // GBK bytes, as the card holds them
  std::string code;  // GBK bytes; empty when the record has none
  double n = 0.0;
  double e = 0.0;
  double z = 0.0;
  PlanPointKind kind = PlanPointKind::kMeasured;
};

// A place on the ground and a place in the view; view y grows downwards.
struct GroundPoint {
  double n = 0.0;
  double e = 0.0;
};
struct ViewPoint {
  double x = 0.0;
  double y = 0.0;
};

// An axis-aligned rectangle in view pixels.
struct ViewRect {
  double left = 0.0;
  double top = 0.0;
  double width = 0.0;
  double height = 0.0;

  double right() const { return left + width; }
  double bottom() const { return top + height; }
  // Rectangles that only touch do not overlap.
  bool overlaps(const ViewRect& other) const {
    return left < other.right() && other.left < right() && top < other.bottom() &&
           other.top < bottom();
  }
};

// Ground to view at one scale on both axes: the ground point `anchor` lies on
// the view pixel `anchorPixel`, and one metre is `pixelsPerMetre` pixels. Kept
// as an anchor rather than an offset so that coordinates of a million metres
// keep their millimetres at any zoom.
class PlanTransform {
 public:
  // Zoom stops here either way: beyond it a view shows nothing useful, and far
  // beyond it the numbers stop being numbers.
  static constexpr double kMinimumScale = 1e-6;  // a million metres per pixel
  static constexpr double kMaximumScale = 1e5;   // a hundredth of a millimetre per pixel

  PlanTransform() = default;
  PlanTransform(GroundPoint anchor, ViewPoint anchorPixel, double pixelsPerMetre);

  double pixelsPerMetre() const { return scale_; }
  ViewPoint toView(double n, double e) const;
  ViewPoint toView(GroundPoint ground) const { return toView(ground.n, ground.e); }
  GroundPoint toGround(ViewPoint pixel) const;

  // Scales by `factor` while the ground under `pixel` stays under it.
  void zoomAbout(ViewPoint pixel, double factor);
  // Moves the drawing by (dx, dy) pixels, as a drag does.
  void pan(double dx, double dy);

 private:
  GroundPoint anchor_;
  ViewPoint anchorPixel_;
  double scale_ = 1.0;
};

// How much ground a lone point (or a set of identical points) shows across the
// shorter side of the view: enough to see it as a point among metres.
constexpr double kLonePointSpan = 50.0;

// The transform that shows every point inside `area` less `margin` pixels on
// each side, centred, at the largest equal scale that fits. A set without
// extent (one point, identical points) is centred at kLonePointSpan metres
// across; no points give no transform.
std::optional<PlanTransform> fitPoints(const std::vector<GroundPoint>& points, const ViewRect& area,
                                       double margin);

// The inverse calculation between two points.
double horizontalDistance(GroundPoint from, GroundPoint to);
// Azimuth from north, clockwise, in degrees from 0 up to (not including) 360;
// 0 when the two points coincide.
double bearingDegrees(GroundPoint from, GroundPoint to);
double heightDifference(double fromZ, double toZ);

// UTF-8 texts for the window: "123°04′05″" rounded to whole seconds, and
// "123.068056°" with six decimals; 359°59′59.6″ shows as 0°00′00″.
std::string bearingDmsText(double degrees);
std::string bearingDecimalText(double degrees);

// The longest length of 1, 2 or 5 times a power of ten metres whose bar is at
// most `maxPixels` long at the given scale.
double scaleBarMetres(double pixelsPerMetre, double maxPixels);
// "5 m", "0.2 m", "2 km": the bar's caption.
std::string scaleBarText(double metres);

// Label thinning: given label rectangles in priority order, whether each is
// kept, so that no kept label overlaps a label kept before it nor any of the
// `fixed` rectangles (what is drawn anyway, such as the markers, which no label
// may hide). Empty rectangles are never kept.
std::vector<bool> thinLabels(const std::vector<ViewRect>& labels,
                             const std::vector<ViewRect>& fixed = {});

// The same with a choice of places: label i may go to any of the rectangles
// candidates[i * places] to candidates[i * places + places - 1], and takes the
// first of them that is free. Gives the chosen place of each label, -1 when
// none is free.
std::vector<int> placeLabels(const std::vector<ViewRect>& candidates, int places,
                             const std::vector<ViewRect>& fixed = {});

// Stacking: points drawn on one another make one marker with one label. Given
// view positions in priority order, gives each the index of its stack's
// leader: the first earlier leader within `radius` pixels of it on both axes,
// else itself. Measured to the leader, not from point to point, so that a row
// of points a pixel apart does not chain into one stack; identical positions
// always share a stack. A point too far out to be in any view, or at no
// position, leads its own.
std::vector<int> stackLeaders(const std::vector<ViewPoint>& pixels, double radius);

// Keys of the view: the zoom of one press of + or -, and the share of the
// view's width or height one arrow key moves the drawing.
constexpr double kKeyZoomFactor = 1.25;
constexpr double kKeyPanShare = 0.125;

// The first of the first `count` points named `name`, as a user types it:
// blanks around either name and the case of ASCII letters do not count. -1
// when there is none.
int findPlanPoint(const std::vector<PlanPoint>& points, int count, std::string_view name);

}  // namespace vel
