#include "ui/PlanView.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "ui/AnsiText.h"

namespace vel {

namespace {

// Design sizes in pixels of a 1024-pixel-high screen.
constexpr double kFitMargin = 40.0;
constexpr double kPickRadius = 8.0;
constexpr double kLabelGap = 3.0;  // from the marker to its label
constexpr int kLabelFontSize = 12;
constexpr double kScaleBarLongest = 160.0;
constexpr double kSelectionRadius = 9.0;
constexpr double kWheelStep = 1.25;  // zoom per notch of the wheel
// Points closer than this on both axes are drawn as one: the dots then overlap.
constexpr double kStackRadius = 3.0;
constexpr double kOverlayPadding = 3.0;  // kept clear around the scale bar and north arrow

const QColor kLabelColour(30, 30, 30);
const QColor kKnownLabelColour(0, 110, 0);
const QColor kCodeColour(150, 90, 0);
const QColor kSelectionColour(255, 140, 0);
const QColor kCountColour(20, 90, 230);

int kindRank(PlanPointKind kind) {
  switch (kind) {
    case PlanPointKind::kStation:
      return 0;
    case PlanPointKind::kBacksight:
      return 1;
    case PlanPointKind::kKnown:
      return 2;
    case PlanPointKind::kMeasured:
      return 3;
  }
  return 3;
}

// A triangle standing on its base, centred on its centroid.
QPainterPath triangle(double halfBase) {
  const double height = halfBase * std::sqrt(3.0);
  QPainterPath path;
  path.moveTo(0.0, -height * 2.0 / 3.0);
  path.lineTo(halfBase, height / 3.0);
  path.lineTo(-halfBase, height / 3.0);
  path.closeSubpath();
  return path;
}

// A round dot of straight edges: at a few pixels it is a circle to the eye,
// and thousands of them fill without curves to flatten at every repaint.
QPainterPath dot(double radius) {
  constexpr int kEdges = 16;
  QPainterPath path;
  path.moveTo(radius, 0.0);
  for (int i = 1; i < kEdges; ++i) {
    const double angle = 2.0 * std::numbers::pi * i / kEdges;
    path.lineTo(radius * std::cos(angle), radius * std::sin(angle));
  }
  path.closeSubpath();
  return path;
}

// A list that opens over the view and closes when anything else is clicked.
class StackList final : public QListWidget {
 public:
  explicit StackList(QWidget* owner) : QListWidget(owner) {
    setWindowFlags(Qt::Popup);
    setAttribute(Qt::WA_DeleteOnClose);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) {
      close();
      return;
    }
    QListWidget::keyPressEvent(event);
  }
};

}  // namespace

PlanView::PlanView(const Scaler& scale, QWidget* parent)
    : QWidget(parent), scale_(scale), labelFont_(scale.font(kLabelFontSize)) {
  setObjectName(QStringLiteral("planView"));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::CrossCursor);

  const double f = scale_.factor();
  labelHeight_ = QFontMetricsF(labelFont_).height();
  stationShape_ = triangle(5.5 * f);
  // Larger, so that a station drawn over its backsight leaves a rim of it.
  backsightShape_ = triangle(8.0 * f);
  dotShape_ = dot(2.5 * f);
  knownShape_ = dot(3.5 * f);
}

QColor PlanView::markerColour(PlanPointKind kind) {
  switch (kind) {
    case PlanPointKind::kStation:
      return QColor(210, 20, 20);
    case PlanPointKind::kBacksight:
      return QColor(20, 90, 230);
    case PlanPointKind::kKnown:
      return QColor(0, 160, 0);
    case PlanPointKind::kMeasured:
      return QColor(0, 0, 0);
  }
  return QColor(0, 0, 0);
}

QString PlanView::emptyText() {
  return tr("没有带坐标的点");
}

void PlanView::setPoints(std::vector<PlanPoint> points, std::vector<PlanPoint> known) {
  knownStart_ = static_cast<int>(points.size());
  points_ = std::move(points);
  points_.insert(points_.end(), std::make_move_iterator(known.begin()),
                 std::make_move_iterator(known.end()));
  measureLabels();

  labelPriority_.resize(points_.size());
  for (std::size_t i = 0; i < points_.size(); ++i) labelPriority_[i] = static_cast<int>(i);
  std::stable_sort(labelPriority_.begin(), labelPriority_.end(), [this](int a, int b) {
    return kindRank(points_[a].kind) < kindRank(points_[b].kind);
  });
  // A backsight is usually an earlier station again: one name on the drawing
  // for both is enough.
  std::map<std::tuple<std::string, long long, long long>, int> twins;
  for (const int i : labelPriority_) {
    const PlanPoint& p = points_[i];
    labels_[i].twins =
        twins.emplace(std::tuple(p.name, std::llround(p.n * 1000.0), std::llround(p.e * 1000.0)),
                      static_cast<int>(twins.size()))
            .first->second;
  }
  // Stations on top: a backsight usually sits on an earlier station, and a
  // known point under a station is what the overlay is for.
  drawOrder_ = labelPriority_;
  std::stable_sort(drawOrder_.begin(), drawOrder_.end(), [this](int a, int b) {
    return kindRank(points_[a].kind) > kindRank(points_[b].kind);
  });

  const bool hadSelection = first_ >= 0;
  first_ = second_ = -1;
  fitAll();
  if (hadSelection) emit selectionChanged();
}

void PlanView::measureLabels() {
  const QFontMetricsF metrics(labelFont_);
  labels_.clear();
  labels_.reserve(points_.size());
  for (const PlanPoint& p : points_) {
    Label label;
    label.name = ansiToQString(p.name);
    label.code = ansiToQString(p.code);
    label.nameWidth = metrics.horizontalAdvance(label.name);
    if (!label.code.isEmpty()) {
      label.codeWidth = metrics.horizontalAdvance(QLatin1Char(' ') + label.code);
    }
    labels_.push_back(std::move(label));
  }
}

int PlanView::shownCount() const {
  return knownVisible_ ? pointCount() : knownStart_;
}

void PlanView::setKnownVisible(bool visible) {
  if (visible == knownVisible_) return;
  knownVisible_ = visible;
  if (!visible && (first_ >= knownStart_ || second_ >= knownStart_)) {
    // A hidden point cannot stay selected: a pair loses its second end, or
    // both when the first one goes.
    if (first_ >= knownStart_) first_ = -1;
    second_ = -1;
    emit selectionChanged();
  }
  // A view the user has not moved keeps showing everything.
  if (followSize_ || !hasTransform_ || shownCount() == 0) {
    fitAll();
  } else {
    update();
  }
}

void PlanView::setCodesVisible(bool visible) {
  if (visible == codesVisible_) return;
  codesVisible_ = visible;
  update();
}

void PlanView::fitAll() {
  std::vector<GroundPoint> ground;
  ground.reserve(points_.size());
  for (int i = 0; i < pointCount(); ++i) {
    if (isShown(i)) ground.push_back({points_[i].n, points_[i].e});
  }
  const ViewRect area{0.0, 0.0, static_cast<double>(width()), static_cast<double>(height())};
  const std::optional<PlanTransform> fitted = fitPoints(ground, area, kFitMargin * scale_.factor());
  hasTransform_ = fitted.has_value();
  if (fitted) transform_ = *fitted;
  followSize_ = true;
  update();
}

void PlanView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paintPlan(painter);
}

void PlanView::paintPlan(QPainter& painter) const {
  painter.save();
  const QRectF area(0.0, 0.0, width(), height());
  painter.fillRect(area, Qt::white);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);

  if (!hasTransform_) {
    painter.setFont(scale_.font());
    painter.setPen(QColor(100, 100, 100));
    painter.drawText(area, Qt::AlignCenter, emptyText());
    painter.restore();
    return;
  }

  const std::vector<int> inView = pointsInView();
  painter.setPen(Qt::NoPen);
  // Thousands of antialiased paths cost more than a repaint may take, so on
  // pixels (the screen, a PNG) each marker is stamped from an image drawn
  // once. Vector files get each marker as a path of its own, and nothing else
  // there is a path: in an SVG every point stays one element a drawing
  // program can pick.
  const bool stamped = painter.paintEngine() &&
                       painter.paintEngine()->type() == QPaintEngine::Raster &&
                       painter.transform().type() <= QTransform::TxTranslate;
  const qreal ratio = painter.device()->devicePixelRatioF();
  if (stamped) prepareStamps(ratio);
  std::set<std::tuple<int, int, int>> stampedAt;
  for (const int i : inView) {
    const ViewPoint v = transform_.toView(points_[i].n, points_[i].e);
    const QPointF at(v.x, v.y);
    if (stamped) {
      const Stamp& stamp = stamps_[static_cast<int>(points_[i].kind)];
      // One stamp a kind and device pixel: the soft edges of a stack's
      // markers, drawn over one another, would add up to a hard blot.
      const QPoint pixel = ((at - stamp.centre) * ratio).toPoint();
      if (stampedAt.emplace(static_cast<int>(points_[i].kind), pixel.x(), pixel.y()).second) {
        painter.drawImage(at - stamp.centre, stamp.image);
      }
    } else {
      painter.setBrush(markerColour(points_[i].kind));
      painter.drawPath(shapeOf(points_[i].kind).translated(at));
    }
  }
  drawSelection(painter);
  drawLabels(painter, inView);
  drawScaleBar(painter);
  drawNorthArrow(painter);
  painter.restore();
}

void PlanView::prepareStamps(qreal pixelRatio) const {
  if (pixelRatio == stampRatio_) return;
  stampRatio_ = pixelRatio;
  for (const PlanPointKind kind : {PlanPointKind::kStation, PlanPointKind::kBacksight,
                                   PlanPointKind::kMeasured, PlanPointKind::kKnown}) {
    const QPainterPath& shape = shapeOf(kind);
    const QRectF box = shape.boundingRect();
    const double reach = std::ceil(std::max({-box.left(), box.right(), -box.top(), box.bottom()}));
    // An odd number of pixels with the point in the middle of the middle one:
    // drawn at a whole pixel, the point lands on the pixel it falls in.
    const double side = 2.0 * reach + 1.0;
    Stamp& stamp = stamps_[static_cast<int>(kind)];
    stamp.centre = QPointF(reach + 0.5, reach + 0.5);
    const int pixels = static_cast<int>(std::ceil(side * pixelRatio));
    stamp.image = QImage(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    stamp.image.setDevicePixelRatio(pixelRatio);
    stamp.image.fill(Qt::transparent);
    QPainter painter(&stamp.image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(markerColour(kind));
    painter.drawPath(shape.translated(stamp.centre));
  }
}

const QPainterPath& PlanView::shapeOf(PlanPointKind kind) const {
  switch (kind) {
    case PlanPointKind::kStation:
      return stationShape_;
    case PlanPointKind::kBacksight:
      return backsightShape_;
    case PlanPointKind::kKnown:
      return knownShape_;
    case PlanPointKind::kMeasured:
      return dotShape_;
  }
  return dotShape_;
}

std::vector<int> PlanView::pointsInView() const {
  std::vector<int> inView;
  if (!hasTransform_) return inView;
  // Points well outside the view cost nothing; a margin keeps the markers and
  // labels of points just outside it. In draw order.
  const double reach = 12.0 * scale_.factor();
  const QRectF drawn = QRectF(0.0, 0.0, width(), height()).adjusted(-reach, -reach, reach, reach);
  for (const int i : drawOrder_) {
    const ViewPoint v = transform_.toView(points_[i].n, points_[i].e);
    if (isShown(i) && drawn.contains(QPointF(v.x, v.y))) inView.push_back(i);
  }
  return inView;
}

PlanView::Stacks PlanView::stacksInView(const std::vector<int>& inView) const {
  std::vector<bool> visible(points_.size(), false);
  for (const int i : inView) visible[i] = true;
  // In label order, so that a stack is led by the point whose name it shows.
  std::vector<int> order;
  std::vector<ViewPoint> pixels;
  Stacks stacks{std::vector<int>(points_.size(), -1), std::vector<bool>(points_.size(), false)};
  std::vector<bool> seen(points_.size(), false);
  for (const int i : labelPriority_) {
    if (!visible[i]) continue;
    order.push_back(i);
    pixels.push_back(transform_.toView(points_[i].n, points_[i].e));
    stacks.repeat[i] = seen[labels_[i].twins];
    seen[labels_[i].twins] = true;
  }
  const std::vector<int> leaders = stackLeaders(pixels, kStackRadius * scale_.factor());
  for (std::size_t k = 0; k < order.size(); ++k) stacks.leader[order[k]] = order[leaders[k]];
  return stacks;
}

std::vector<int> PlanView::stackOf(int index) const {
  if (index < 0 || index >= pointCount()) return {};
  const Stacks stacks = stacksInView(pointsInView());
  const int leader = stacks.leader[index];
  if (leader < 0) return {index};
  std::vector<int> stack;
  for (const int i : labelPriority_) {
    if (stacks.leader[i] == leader && !stacks.repeat[i]) stack.push_back(i);
  }
  return stack;
}

std::vector<PlanView::PlacedLabel> PlanView::placedLabels() const {
  return layoutLabels(pointsInView());
}

std::vector<PlanView::PlacedLabel> PlanView::layoutLabels(const std::vector<int>& inView) const {
  if (!hasTransform_) return {};
  // One label a stack, counting each name and place once; it names a selected
  // point of the stack, else the stack's leader.
  const Stacks stacks = stacksInView(inView);
  const std::vector<int>& leader = stacks.leader;
  std::vector<int> count(points_.size(), 0);
  std::vector<int> named(points_.size(), -1);
  for (const int i : inView) {
    if (!stacks.repeat[i]) ++count[leader[i]];
    if (named[leader[i]] < 0) named[leader[i]] = leader[i];
  }
  for (const int i : {second_, first_}) {
    if (i >= 0 && leader[i] >= 0) named[leader[i]] = i;
  }

  // The selected points' names come first; then by kind, then record order.
  std::vector<int> order;
  std::vector<QString> texts;
  order.reserve(inView.size());
  const auto text = [&](int i) {
    const int n = count[leader[i]];
    QString t = labels_[i].name;
    // Close up in brackets: a CJK font sets "×" full width, and a space
    // before a bracket reads as a gap.
    if (n > 1) t += QStringLiteral("(%1)").arg(n);
    return t;
  };
  for (const int i : {first_, second_}) {
    if (i >= 0 && leader[i] >= 0 && named[leader[i]] == i &&
        std::find(order.begin(), order.end(), i) == order.end()) {
      order.push_back(i);
      texts.push_back(text(i));
    }
  }
  const std::size_t selected = order.size();
  for (const int i : labelPriority_) {
    if (leader[i] != i || named[i] != i || i == first_ || i == second_) continue;
    const QString t = text(i);
    if (t.isEmpty()) continue;
    order.push_back(i);
    texts.push_back(t);
  }

  // Right of the point where there is room, else left, above, below, or at
  // one of the corners.
  constexpr int kPlaces = 8;
  const double gap = kLabelGap * scale_.factor();
  const QFontMetricsF metrics(labelFont_);
  std::vector<ViewRect> places;
  places.reserve(order.size() * kPlaces);
  for (std::size_t k = 0; k < order.size(); ++k) {
    const int i = order[k];
    const ViewPoint v = transform_.toView(points_[i].n, points_[i].e);
    const QRectF box = shapeOf(points_[i].kind).boundingRect();
    const Label& label = labels_[i];
    const double w = (texts[k] == label.name ? label.nameWidth : metrics.horizontalAdvance(texts[k])) +
                     (codesVisible_ ? label.codeWidth : 0.0);
    const double h = labelHeight_;
    places.push_back({v.x + box.right() + gap, v.y - h / 2.0, w, h});
    places.push_back({v.x + box.left() - gap - w, v.y - h / 2.0, w, h});
    places.push_back({v.x - w / 2.0, v.y + box.top() - h, w, h});
    places.push_back({v.x - w / 2.0, v.y + box.bottom(), w, h});
    places.push_back({v.x + box.right(), v.y + box.top() - h, w, h});
    places.push_back({v.x + box.right(), v.y + box.bottom(), w, h});
    places.push_back({v.x + box.left() - w, v.y + box.top() - h, w, h});
    places.push_back({v.x + box.left() - w, v.y + box.bottom(), w, h});
  }

  // Every label keeps clear of the labels placed before it, of the markers,
  // so that no label hides a point, and of the scale bar and north arrow. The
  // names that matter most (the selected points', then the stations' and
  // backsights') are placed first, and where a station stands among its side
  // shots with no room left, its name only keeps clear of stations and known
  // points rather than go missing.
  std::size_t leading = selected;
  while (leading < order.size() && (points_[order[leading]].kind == PlanPointKind::kStation ||
                                    points_[order[leading]].kind == PlanPointKind::kBacksight)) {
    ++leading;
  }
  std::vector<ViewRect> overlays;
  for (const QRectF& r : overlayRects()) overlays.push_back({r.left(), r.top(), r.width(), r.height()});
  std::vector<ViewRect> markers = overlays;
  std::vector<ViewRect> landmarks = overlays;
  for (const int i : inView) {
    const ViewPoint v = transform_.toView(points_[i].n, points_[i].e);
    const QRectF box = shapeOf(points_[i].kind).boundingRect().translated(v.x, v.y);
    markers.push_back({box.left(), box.top(), box.width(), box.height()});
    if (points_[i].kind != PlanPointKind::kMeasured) landmarks.push_back(markers.back());
  }
  std::vector<int> chosen(order.size(), -1);
  // Places the labels order[k] for k in `which`, around what `fixed` holds.
  const auto place = [&](const std::vector<std::size_t>& which, std::vector<ViewRect> fixed) {
    std::vector<ViewRect> candidates;
    candidates.reserve(which.size() * kPlaces);
    for (const std::size_t k : which) {
      candidates.insert(candidates.end(), places.begin() + k * kPlaces,
                        places.begin() + (k + 1) * kPlaces);
    }
    const std::vector<int> found = placeLabels(candidates, kPlaces, fixed);
    for (std::size_t j = 0; j < which.size(); ++j) chosen[which[j]] = found[j];
  };
  const auto placedSoFar = [&](std::vector<ViewRect> rects) {
    for (std::size_t k = 0; k < order.size(); ++k) {
      if (chosen[k] >= 0) rects.push_back(places[k * kPlaces + chosen[k]]);
    }
    return rects;
  };
  std::vector<std::size_t> first(leading);
  for (std::size_t k = 0; k < leading; ++k) first[k] = k;
  place(first, markers);
  std::vector<std::size_t> crowded;
  for (const std::size_t k : first) {
    if (chosen[k] < 0) crowded.push_back(k);
  }
  place(crowded, placedSoFar(landmarks));
  std::vector<std::size_t> rest;
  for (std::size_t k = leading; k < order.size(); ++k) rest.push_back(k);
  place(rest, placedSoFar(markers));

  std::vector<PlacedLabel> placed;
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (chosen[k] < 0) continue;
    const ViewRect& r = places[k * kPlaces + chosen[k]];
    placed.push_back({order[k], QRectF(r.left, r.top, r.width, r.height), texts[k]});
  }
  return placed;
}

void PlanView::drawLabels(QPainter& painter, const std::vector<int>& inView) const {
  painter.setFont(labelFont_);
  const QFontMetricsF metrics(labelFont_);
  const double ascent = metrics.ascent();
  for (const PlacedLabel& placed : layoutLabels(inView)) {
    const Label& label = labels_[placed.point];
    const QPointF baseline(placed.rect.left(), placed.rect.top() + ascent);
    const bool known = points_[placed.point].kind == PlanPointKind::kKnown;
    painter.setPen(known ? kKnownLabelColour : kLabelColour);
    painter.drawText(baseline, label.name);
    double x = label.nameWidth;
    if (placed.text.size() > label.name.size()) {
      // The stack's count, after the name.
      const QString count = placed.text.mid(label.name.size());
      painter.setPen(kCountColour);
      painter.drawText(baseline + QPointF(x, 0.0), count);
      x += metrics.horizontalAdvance(count);
    }
    if (codesVisible_ && !label.code.isEmpty()) {
      painter.setPen(kCodeColour);
      painter.drawText(baseline + QPointF(x, 0.0), QLatin1Char(' ') + label.code);
    }
  }
}

void PlanView::drawSelection(QPainter& painter) const {
  if (first_ < 0) return;
  const auto at = [this](int i) {
    const ViewPoint v = transform_.toView(points_[i].n, points_[i].e);
    return QPointF(v.x, v.y);
  };
  painter.setBrush(Qt::NoBrush);
  if (second_ >= 0) {
    painter.setPen(QPen(kSelectionColour, 1.5 * scale_.factor(), Qt::DashLine));
    painter.drawLine(at(first_), at(second_));
  }
  const double r = kSelectionRadius * scale_.factor();
  painter.setPen(QPen(kSelectionColour, 2.0 * scale_.factor()));
  for (const int i : {first_, second_}) {
    if (i >= 0) painter.drawEllipse(at(i), r, r);
  }
}

PlanView::ScaleBar PlanView::scaleBar() const {
  ScaleBar bar;
  const double f = scale_.factor();
  bar.metres = scaleBarMetres(transform_.pixelsPerMetre(), kScaleBarLongest * f);
  if (bar.metres <= 0.0) return bar;
  bar.length = bar.metres * transform_.pixelsPerMetre();
  bar.left = 16.0 * f;
  bar.top = height() - 22.0 * f;
  bar.thickness = 5.0 * f;
  bar.baseline = bar.top - 4.0 * f;
  bar.caption = QString::fromStdString(scaleBarText(bar.metres));
  const QFontMetricsF metrics(labelFont_);
  const double zeroHalf = metrics.horizontalAdvance(QLatin1Char('0')) / 2.0;
  const double captionHalf = metrics.horizontalAdvance(bar.caption) / 2.0;
  const double left = bar.left - zeroHalf;
  const double right = std::max(bar.left + bar.length + captionHalf, bar.left + bar.length);
  const double top = bar.baseline - metrics.ascent();
  bar.box = QRectF(left, top, right - left, bar.top + bar.thickness - top);
  return bar;
}

PlanView::NorthArrow PlanView::northArrow() const {
  NorthArrow arrow;
  const double f = scale_.factor();
  arrow.x = width() - 28.0 * f;
  arrow.tip = 30.0 * f;
  arrow.foot = arrow.tip + 40.0 * f;
  arrow.wing = 7.0 * f;
  arrow.font = scale_.font(14);
  const QFontMetricsF metrics(arrow.font);
  const double letterWidth = metrics.horizontalAdvance(QLatin1Char('N'));
  arrow.letterAt = QPointF(arrow.x - letterWidth / 2.0, arrow.tip - 6.0 * f);
  const double halfWidth = std::max(arrow.wing, letterWidth / 2.0) + 1.0 * f;
  const double top = arrow.letterAt.y() - metrics.ascent();
  arrow.box = QRectF(arrow.x - halfWidth, top, 2.0 * halfWidth, arrow.foot + 1.0 * f - top);
  return arrow;
}

std::vector<QRectF> PlanView::overlayRects() const {
  const double pad = kOverlayPadding * scale_.factor();
  std::vector<QRectF> rects;
  if (hasTransform_) {
    const ScaleBar bar = scaleBar();
    if (bar.metres > 0.0) rects.push_back(bar.box.adjusted(-pad, -pad, pad, pad));
  }
  rects.push_back(northArrow().box.adjusted(-pad, -pad, pad, pad));
  return rects;
}

void PlanView::drawScaleBar(QPainter& painter) const {
  const ScaleBar bar = scaleBar();
  if (bar.metres <= 0.0) return;
  painter.setPen(QPen(Qt::black, 1.0));
  painter.setBrush(Qt::black);
  painter.drawRect(QRectF(bar.left, bar.top, bar.length / 2.0, bar.thickness));
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(bar.left + bar.length / 2.0, bar.top, bar.length / 2.0, bar.thickness));

  painter.setFont(labelFont_);
  const QFontMetricsF metrics(labelFont_);
  painter.drawText(
      QPointF(bar.left - metrics.horizontalAdvance(QLatin1Char('0')) / 2.0, bar.baseline),
      QStringLiteral("0"));
  painter.drawText(
      QPointF(bar.left + bar.length - metrics.horizontalAdvance(bar.caption) / 2.0, bar.baseline),
      bar.caption);
}

void PlanView::drawNorthArrow(QPainter& painter) const {
  const NorthArrow arrow = northArrow();
  const double f = scale_.factor();
  const double x = arrow.x;
  const double wing = arrow.wing;
  painter.setPen(QPen(Qt::black, 2.0 * f, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawLine(QPointF(x, arrow.foot), QPointF(x, arrow.tip));
  const QPointF head[] = {
      {x - wing, arrow.tip + 2.0 * wing}, {x, arrow.tip}, {x + wing, arrow.tip + 2.0 * wing}};
  painter.drawPolyline(head, 3);
  painter.setFont(arrow.font);
  painter.drawText(arrow.letterAt, QStringLiteral("N"));
}

void PlanView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (followSize_) fitAll();
}

void PlanView::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (!hasTransform_) return;
  const QPoint delta = event->angleDelta();
  const double notches = (delta.y() != 0 ? delta.y() : delta.x()) / 120.0;
  if (notches == 0.0) return;
  const QPointF at = event->position();
  transform_.zoomAbout({at.x(), at.y()}, std::pow(kWheelStep, notches));
  followSize_ = false;
  update();
  reportCursor(at);
}

void PlanView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  pressed_ = true;
  dragging_ = false;
  pressPixel_ = lastPixel_ = event->position();
}

void PlanView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  if (pressed_ && (event->buttons() & Qt::LeftButton) && hasTransform_) {
    if (!dragging_ && (at - pressPixel_).manhattanLength() >= QApplication::startDragDistance()) {
      dragging_ = true;
      setCursor(Qt::ClosedHandCursor);
    }
    if (dragging_) {
      // From where the press was, so the drawing stays under the hand.
      transform_.pan(at.x() - lastPixel_.x(), at.y() - lastPixel_.y());
      lastPixel_ = at;
      followSize_ = false;
      update();
    }
  }
  reportCursor(at);
}

void PlanView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_) return QWidget::mouseReleaseEvent(event);
  pressed_ = false;
  if (dragging_) {
    dragging_ = false;
    setCursor(Qt::CrossCursor);
    return;
  }
  const int nearest = nearestShownPoint(event->position());
  if (nearest >= 0) {
    const std::vector<int> stack = stackOf(nearest);
    if (stack.size() > 1) return showStackList(stack, event->position());
  }
  select(nearest);
}

void PlanView::showStackList(const std::vector<int>& stack, QPointF pixel) {
  auto* list = new StackList(this);
  list->setObjectName(QStringLiteral("stackList"));
  list->setFont(scale_.font());
  for (const int i : stack) {
    QString text = labels_[i].name;
    if (!labels_[i].code.isEmpty()) text += QStringLiteral("  ") + labels_[i].code;
    auto* item = new QListWidgetItem(text, list);
    item->setData(Qt::UserRole, i);
  }
  list->setCurrentRow(0);
  connect(list, &QListWidget::itemActivated, this, [this, list](QListWidgetItem* item) {
    const int index = item->data(Qt::UserRole).toInt();
    list->close();
    select(index);
  });
  connect(list, &QListWidget::itemClicked, list, &QListWidget::itemActivated);

  // As wide as the longest entry, at most a dozen rows high, beside the click
  // and on the screen.
  constexpr int kMostRows = 12;
  const int rows = std::min(list->count(), kMostRows);
  const int frame = 2 * list->frameWidth();
  const int scrollBar =
      list->count() > kMostRows ? list->verticalScrollBar()->sizeHint().width() : 0;
  list->resize(list->sizeHintForColumn(0) + frame + scrollBar + scale_(20),
               list->sizeHintForRow(0) * rows + frame);
  QPoint at = mapToGlobal(pixel.toPoint()) + QPoint(scale_(6), scale_(6));
  if (const QScreen* screen = this->screen()) {
    const QRect room = screen->availableGeometry();
    at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - list->width())));
    at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - list->height())));
  }
  list->move(at);
  stackList_ = list;
  list->show();
  list->setFocus();
}

void PlanView::keyPressEvent(QKeyEvent* event) {
  const double panX = kKeyPanShare * width();
  const double panY = kKeyPanShare * height();
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:  // + without Shift
      zoomBy(kKeyZoomFactor);
      break;
    case Qt::Key_Minus:
      zoomBy(1.0 / kKeyZoomFactor);
      break;
    // The view moves the arrow's way over the ground, the drawing the other.
    case Qt::Key_Left:
      panBy(panX, 0.0);
      break;
    case Qt::Key_Right:
      panBy(-panX, 0.0);
      break;
    case Qt::Key_Up:
      panBy(0.0, panY);
      break;
    case Qt::Key_Down:
      panBy(0.0, -panY);
      break;
    case Qt::Key_Home:
      fitAll();
      break;
    default:
      return QWidget::keyPressEvent(event);
  }
  event->accept();
}

void PlanView::zoomBy(double factor) {
  if (!hasTransform_) return;
  transform_.zoomAbout({width() / 2.0, height() / 2.0}, factor);
  followSize_ = false;
  update();
}

void PlanView::panBy(double dx, double dy) {
  if (!hasTransform_) return;
  transform_.pan(dx, dy);
  followSize_ = false;
  update();
}

void PlanView::centreOn(int index) {
  if (!hasTransform_ || index < 0 || index >= pointCount() || !isShown(index)) return;
  const ViewPoint v = transform_.toView(points_[index].n, points_[index].e);
  panBy(width() / 2.0 - v.x, height() / 2.0 - v.y);
  select(index);
}

void PlanView::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  emit cursorLeft();
}

void PlanView::reportCursor(QPointF pixel) {
  if (!hasTransform_) return;
  const GroundPoint g = transform_.toGround({pixel.x(), pixel.y()});
  emit cursorMoved(g.n, g.e);
}

int PlanView::nearestShownPoint(QPointF pixel) const {
  if (!hasTransform_) return -1;
  const double radius = kPickRadius * scale_.factor();
  double best = radius * radius;
  int nearest = -1;
  for (int i = 0; i < pointCount(); ++i) {
    if (!isShown(i)) continue;
    const ViewPoint v = transform_.toView(points_[i].n, points_[i].e);
    const double dx = v.x - pixel.x();
    const double dy = v.y - pixel.y();
    const double d = dx * dx + dy * dy;
    if (d <= best && (nearest < 0 || d < best)) {
      best = d;
      nearest = i;
    }
  }
  return nearest;
}

void PlanView::select(int index) {
  if (index < 0) {
    if (first_ < 0) return;
    first_ = second_ = -1;
  } else if (first_ < 0 || second_ >= 0) {
    first_ = index;
    second_ = -1;
  } else if (index != first_) {
    second_ = index;
  } else {
    return;
  }
  update();
  emit selectionChanged();
}

}  // namespace vel
