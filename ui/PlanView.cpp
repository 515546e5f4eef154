#include "ui/PlanView.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <numbers>
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

const QColor kLabelColour(30, 30, 30);
const QColor kKnownLabelColour(0, 110, 0);
const QColor kCodeColour(150, 90, 0);
const QColor kSelectionColour(255, 140, 0);

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
  std::set<std::tuple<std::string, long long, long long>> named;
  for (const int i : labelPriority_) {
    const PlanPoint& p = points_[i];
    labels_[i].repeated =
        !named.emplace(p.name, std::llround(p.n * 1000.0), std::llround(p.e * 1000.0)).second;
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

  // Points well outside the view cost nothing; a margin keeps the markers and
  // labels of points just outside it.
  const double reach = 12.0 * scale_.factor();
  const QRectF drawn = area.adjusted(-reach, -reach, reach, reach);
  std::vector<int> inView;
  inView.reserve(points_.size());
  painter.setPen(Qt::NoPen);
  // Thousands of antialiased paths cost more than a repaint may take, so on
  // pixels (the screen, a PNG) each marker is stamped from an image drawn
  // once. Vector files get each marker as a path of its own, and nothing else
  // there is a path: in an SVG every point stays one element a drawing
  // program can pick.
  const bool stamped = painter.paintEngine() &&
                       painter.paintEngine()->type() == QPaintEngine::Raster &&
                       painter.transform().type() <= QTransform::TxTranslate;
  if (stamped) prepareStamps(painter.device()->devicePixelRatioF());
  for (const int i : drawOrder_) {
    if (!isShown(i)) continue;
    const ViewPoint v = transform_.toView(points_[i].n, points_[i].e);
    const QPointF at(v.x, v.y);
    if (!drawn.contains(at)) continue;
    inView.push_back(i);
    if (stamped) {
      const Stamp& stamp = stamps_[static_cast<int>(points_[i].kind)];
      painter.drawImage(at - stamp.centre, stamp.image);
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

void PlanView::drawLabels(QPainter& painter, const std::vector<int>& inView) const {
  std::vector<bool> visible(points_.size(), false);
  for (const int i : inView) visible[i] = true;

  // The selected points' names come first; then by kind, then record order.
  std::vector<int> order;
  order.reserve(inView.size());
  for (const int i : {first_, second_}) {
    if (i >= 0 && visible[i]) order.push_back(i);
  }
  const std::size_t selected = order.size();
  for (const int i : labelPriority_) {
    if (visible[i] && i != first_ && i != second_ && !labels_[i].name.isEmpty() &&
        !labels_[i].repeated) {
      order.push_back(i);
    }
  }

  // Right of the point where there is room, else left, above, below, or at
  // one of the corners.
  constexpr int kPlaces = 8;
  const double gap = kLabelGap * scale_.factor();
  std::vector<ViewRect> places;
  places.reserve(order.size() * kPlaces);
  for (const int i : order) {
    const ViewPoint v = transform_.toView(points_[i].n, points_[i].e);
    const QRectF box = shapeOf(points_[i].kind).boundingRect();
    const Label& label = labels_[i];
    const double w = label.nameWidth + (codesVisible_ ? label.codeWidth : 0.0);
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

  // Every label keeps clear of the labels placed before it and of the
  // markers, so that no label hides a point. The names that matter most (the
  // selected points', then the stations' and backsights') are placed first, and
  // where a station stands among its side shots with no room left, its name
  // only keeps clear of stations and known points rather than go missing.
  std::size_t leading = selected;
  while (leading < order.size() && (points_[order[leading]].kind == PlanPointKind::kStation ||
                                    points_[order[leading]].kind == PlanPointKind::kBacksight)) {
    ++leading;
  }
  std::vector<ViewRect> markers;
  std::vector<ViewRect> landmarks;
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

  painter.setFont(labelFont_);
  const double ascent = QFontMetricsF(labelFont_).ascent();
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (chosen[k] < 0) continue;
    const Label& label = labels_[order[k]];
    const ViewRect& rect = places[k * kPlaces + chosen[k]];
    const QPointF baseline(rect.left, rect.top + ascent);
    const bool known = points_[order[k]].kind == PlanPointKind::kKnown;
    painter.setPen(known ? kKnownLabelColour : kLabelColour);
    painter.drawText(baseline, label.name);
    if (codesVisible_ && !label.code.isEmpty()) {
      painter.setPen(kCodeColour);
      painter.drawText(baseline + QPointF(label.nameWidth, 0.0), QLatin1Char(' ') + label.code);
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

void PlanView::drawScaleBar(QPainter& painter) const {
  const double f = scale_.factor();
  const double metres = scaleBarMetres(transform_.pixelsPerMetre(), kScaleBarLongest * f);
  if (metres <= 0.0) return;
  const double length = metres * transform_.pixelsPerMetre();
  const double left = 16.0 * f;
  const double top = height() - 22.0 * f;
  const double thickness = 5.0 * f;

  painter.setPen(QPen(Qt::black, 1.0));
  painter.setBrush(Qt::black);
  painter.drawRect(QRectF(left, top, length / 2.0, thickness));
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(left + length / 2.0, top, length / 2.0, thickness));

  painter.setFont(labelFont_);
  const QFontMetricsF metrics(labelFont_);
  const QString caption = QString::fromStdString(scaleBarText(metres));
  const double baseline = top - 4.0 * f;
  painter.drawText(QPointF(left - metrics.horizontalAdvance(QLatin1Char('0')) / 2.0, baseline),
                   QStringLiteral("0"));
  painter.drawText(QPointF(left + length - metrics.horizontalAdvance(caption) / 2.0, baseline),
                   caption);
}

void PlanView::drawNorthArrow(QPainter& painter) const {
  const double f = scale_.factor();
  const double x = width() - 28.0 * f;
  const double tip = 30.0 * f;
  const double foot = tip + 40.0 * f;
  const double wing = 7.0 * f;

  painter.setPen(QPen(Qt::black, 2.0 * f, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawLine(QPointF(x, foot), QPointF(x, tip));
  const QPointF head[] = {{x - wing, tip + 2.0 * wing}, {x, tip}, {x + wing, tip + 2.0 * wing}};
  painter.drawPolyline(head, 3);

  const QFont font = scale_.font(14);
  painter.setFont(font);
  const QFontMetricsF metrics(font);
  painter.drawText(QPointF(x - metrics.horizontalAdvance(QLatin1Char('N')) / 2.0, tip - 6.0 * f),
                   QStringLiteral("N"));
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
  select(nearestShownPoint(event->position()));
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
