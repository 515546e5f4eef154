// What a window shows in words, gathered from its widgets, for the language
// tests: labels, buttons, captions, headers, tooltips, menu entries and the
// rows of lists that are not card data.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTabWidget>
#include <QTextItem>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <set>

namespace vel::test {

// True when the text holds a Chinese character or Chinese punctuation.
inline bool hasChinese(const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3000 && u <= 0x303F) ||
        (u >= 0xFF00 && u <= 0xFFEF)) {
      return true;
    }
  }
  return false;
}

// Each text prefixed with where it stands ("okButton: OK"), so that a failure
// names the widget.
inline QStringList shownTexts(const QWidget* window,
                              const std::set<const QWidget*>& cardData = {}) {
  QStringList texts;
  const auto add = [&texts](const QObject* where, const QString& what, const QString& text) {
    if (!text.isEmpty()) {
      texts << where->metaObject()->className() + QLatin1Char(' ') + where->objectName() +
                   QLatin1Char(' ') + what + QStringLiteral(": ") + text;
    }
  };
  QList<const QWidget*> widgets{window};
  for (const QWidget* child : window->findChildren<QWidget*>()) widgets << child;
  for (const QWidget* w : widgets) {
    add(w, QStringLiteral("title"), w->windowTitle());
    add(w, QStringLiteral("tooltip"), w->toolTip());
    if (auto* label = qobject_cast<const QLabel*>(w)) add(w, QStringLiteral("text"), label->text());
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) {
      add(w, QStringLiteral("text"), button->text());
    }
    if (auto* box = qobject_cast<const QGroupBox*>(w))
      add(w, QStringLiteral("title"), box->title());
    if (auto* edit = qobject_cast<const QLineEdit*>(w)) {
      add(w, QStringLiteral("placeholder"), edit->placeholderText());
    }
    if (auto* tabs = qobject_cast<const QTabWidget*>(w)) {
      for (int i = 0; i < tabs->count(); ++i) add(w, QStringLiteral("tab"), tabs->tabText(i));
    }
    if (auto* menu = qobject_cast<const QMenu*>(w)) {
      for (const QAction* action : menu->actions()) add(w, QStringLiteral("entry"), action->text());
    }
    if (auto* view = qobject_cast<const QAbstractItemView*>(w); view && view->model()) {
      const QAbstractItemModel* model = view->model();
      for (int column = 0; column < model->columnCount(); ++column) {
        add(w, QStringLiteral("header"), model->headerData(column, Qt::Horizontal).toString());
      }
      if (cardData.count(w) == 0 && qobject_cast<const QListWidget*>(w)) {
        for (int row = 0; row < model->rowCount(); ++row) {
          add(w, QStringLiteral("row"), model->index(row, 0).data().toString());
        }
      }
    }
  }
  return texts;
}

// The words a painting draws, caught by a paint engine that keeps only text.
class DrawnTexts final : public QPaintDevice {
 public:
  explicit DrawnTexts(std::function<void(QPainter&)> paint) {
    QPainter painter(this);
    paint(painter);
  }
  QStringList texts() const { return engine_.texts; }
  QPaintEngine* paintEngine() const override { return &engine_; }

 protected:
  int metric(PaintDeviceMetric metric) const override {
    switch (metric) {
      case PdmWidth:
      case PdmHeight:
        return 2000;
      case PdmDpiX:
      case PdmDpiY:
      case PdmPhysicalDpiX:
      case PdmPhysicalDpiY:
        return 96;
      case PdmDepth:
        return 32;
      case PdmNumColors:
        return 1 << 24;
      case PdmDevicePixelRatio:
        return 1;
      case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
      default:
        return 0;
    }
  }

 private:
  class Engine final : public QPaintEngine {
   public:
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override { texts << item.text(); }
    Type type() const override { return User; }
    QStringList texts;
  };
  mutable Engine engine_;
};

}  // namespace vel::test
