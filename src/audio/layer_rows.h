#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

class QLabel;

namespace scenova::audio {

class SoundLayers;

// One compact row per playing layer under the audio panel: the file's name,
// elapsed / length, the layer's level and a stop button. The rows come and
// go with the layers; the widgets below the panel (the video panel and its
// preview) move down by the rows' height meanwhile. A click on a row's name
// or figures does nothing.
class LayerRows : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kRowHeight = 22;
  // The elapsed time and the level, in this much of the row's type size.
  static constexpr double kFiguresScale = 0.85;
  static constexpr int kRefreshMs = 200;

  // anchor: the audio panel; below: what lies under it and moves down.
  LayerRows(SoundLayers& layers, QWidget* anchor, QList<QWidget*> below,
            std::function<QString(int)> text, QWidget* parent);

  // "m:ss" (or "h:mm:ss"); "-:--" for an unknown length.
  static QString clock(double seconds);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Row {
    int id = 0;
    QWidget* widget = nullptr;
    QLabel* time = nullptr;
    QLabel* level = nullptr;
  };
  void rebuild();
  void refresh();
  void place();

  SoundLayers& layers_;
  QPointer<QWidget> anchor_;
  QList<QPointer<QWidget>> below_;
  QList<int> belowTops_;
  std::function<QString(int)> text_;
  QList<Row> rows_;
  QTimer refresh_;
};

}  // namespace scenova::audio
