// The plan view: a job's points drawn at equal scale with E to the right and
// N up, each kind with its own marker and its name beside it, with a scale bar
// and a north arrow. The wheel and + and - zoom, a drag and the arrow keys pan,
// Home fits; a click selects the nearest point and a second click a second
// one. Points drawn on one another show one label with their count, and a
// click on them lists them to choose from.
#pragma once

#include <QFont>
#include <QImage>
#include <QListWidget>
#include <QPainterPath>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <vector>

#include "records/PlanGeometry.h"
#include "ui/UiLook.h"

namespace vel {

class PlanView final : public QWidget {
  Q_OBJECT
 public:
  explicit PlanView(const Scaler& scale, QWidget* parent = nullptr);

  // The job's points, and the known points that can be laid over them; both in
  // record order. Clears the selection and fits the shown points.
  void setPoints(std::vector<PlanPoint> points, std::vector<PlanPoint> known = {});
  void setKnownVisible(bool visible);
  void setCodesVisible(bool visible);
  bool knownVisible() const { return knownVisible_; }
  bool codesVisible() const { return codesVisible_; }

  // Every shown point in view, at the largest scale that fits.
  void fitAll();

  // Indices run over the job's points, then the known ones.
  int pointCount() const { return static_cast<int>(points_.size()); }
  const PlanPoint& point(int index) const { return points_[index]; }
  const std::vector<PlanPoint>& points() const { return points_; }
  bool isShown(int index) const { return index < knownStart_ || knownVisible_; }
  int shownCount() const;

  // No transform while no point is shown.
  bool hasTransform() const { return hasTransform_; }
  const PlanTransform& transform() const { return transform_; }

  // -1 when nothing is selected; the second only after the first.
  int firstSelected() const { return first_; }
  int secondSelected() const { return second_; }
  // Puts a shown point in the middle of the view and selects it as a click
  // on it would.
  void centreOn(int index);

  // The points in view drawn on one another with `index` at the current zoom,
  // in label order; of points of one name and place only the first. Just
  // `index` (or its twin) when it stands alone.
  std::vector<int> stackOf(int index) const;
  // The list a click on stacked points opens, while it is open: the arrows,
  // Home, End and the first letters of a name move in it, Return or a click
  // picks the point, Escape closes it.
  QListWidget* stackList() const { return stackList_; }

  // The labels as drawn: the point named, the rectangle and the text.
  struct PlacedLabel {
    int point = -1;
    QRectF rect;
    QString text;
  };
  std::vector<PlacedLabel> placedLabels() const;
  // The scale bar and the north arrow with their captions, which no label
  // covers.
  std::vector<QRectF> overlayRects() const;

  // The drawing as the view shows it, into any device, over a rectangle of the
  // view's size at the painter's origin.
  void paintPlan(QPainter& painter) const;

  // The fill of each kind's marker.
  static QColor markerColour(PlanPointKind kind);

  // Shown in the middle of a view without points.
  static QString emptyText();

 signals:
  void cursorMoved(double n, double e);
  void cursorLeft();
  void selectionChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // What the labels need, measured once: names and codes do not change.
  struct Label {
    QString name;
    QString code;
    double nameWidth = 0.0;
    double codeWidth = 0.0;
    int twins = -1;  // the points of one name and place share it
  };
  std::vector<PlacedLabel> layoutLabels(const std::vector<int>& inView) const;

  // Where the scale bar and the north arrow go in a view of this size.
  struct ScaleBar {
    double metres = 0.0;  // none when 0
    double left = 0.0;
    double top = 0.0;
    double length = 0.0;
    double thickness = 0.0;
    double baseline = 0.0;  // of "0" and the caption
    QString caption;
    QRectF box;  // all of it
  };
  struct NorthArrow {
    double x = 0.0;
    double tip = 0.0;
    double foot = 0.0;
    double wing = 0.0;
    QFont font;
    QPointF letterAt;
    QRectF box;
  };
  ScaleBar scaleBar() const;
  NorthArrow northArrow() const;

  void measureLabels();
  std::vector<int> pointsInView() const;
  // Among the points in view: each one's stack leader (-1 for the others), and
  // whether a point of the same name and place comes before it in label order.
  struct Stacks {
    std::vector<int> leader;
    std::vector<bool> repeat;
  };
  Stacks stacksInView(const std::vector<int>& inView) const;
  int nearestShownPoint(QPointF pixel) const;
  void select(int index);
  void showStackList(const std::vector<int>& stack, QPointF pixel);
  void zoomBy(double factor);
  void panBy(double dx, double dy);
  void reportCursor(QPointF pixel);
  const QPainterPath& shapeOf(PlanPointKind kind) const;
  void prepareStamps(qreal pixelRatio) const;
  void drawLabels(QPainter& painter, const std::vector<int>& inView) const;
  void drawSelection(QPainter& painter) const;
  void drawScaleBar(QPainter& painter) const;
  void drawNorthArrow(QPainter& painter) const;

  Scaler scale_;
  QFont labelFont_;
  double labelHeight_ = 0.0;
  QPainterPath stationShape_;
  QPainterPath backsightShape_;
  QPainterPath dotShape_;
  QPainterPath knownShape_;
  // Each kind's marker drawn once for the pixel ratio of the last raster device.
  struct Stamp {
    QImage image;
    QPointF centre;  // where the point lies in the image
  };
  mutable std::array<Stamp, 4> stamps_;
  mutable qreal stampRatio_ = 0.0;

  std::vector<PlanPoint> points_;
  std::vector<Label> labels_;
  std::vector<int> labelPriority_;  // stations first, then backsights, known and measured points
  std::vector<int> drawOrder_;      // the other way round: stations drawn last, on top
  int knownStart_ = 0;
  bool knownVisible_ = false;
  bool codesVisible_ = false;

  PlanTransform transform_;
  bool hasTransform_ = false;
  bool followSize_ = true;  // fits again on resize until the user zooms or pans

  int first_ = -1;
  int second_ = -1;
  QPointer<QListWidget> stackList_;

  bool pressed_ = false;
  bool dragging_ = false;
  QPointF pressPixel_;
  QPointF lastPixel_;
};

}  // namespace vel
