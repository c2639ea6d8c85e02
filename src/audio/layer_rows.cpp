#include "audio/layer_rows.h"

#include "audio/sound_layers.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QToolButton>

#include <cmath>

namespace scenova::audio {

namespace {

constexpr int kStopTipText = 286;

QLabel* label(QWidget* parent, const char* name, const QString& text, Qt::Alignment align) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QLatin1StringView(name));
  l->setAlignment(align | Qt::AlignVCenter);
  l->setTextInteractionFlags(Qt::NoTextInteraction);
  return l;
}

// A file name that does not fit shows an ellipsis in its middle, so that the
// operator sees that it is cut and still sees its extension.
class NameLabel final : public QLabel {
 public:
  NameLabel(const QString& name, QWidget* parent) : QLabel(parent), name_(name) {
    setObjectName(QStringLiteral("layerName"));
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setMinimumWidth(20);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setText(name_);
  }

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QLabel::resizeEvent(e);
    setText(fontMetrics().elidedText(name_, Qt::ElideMiddle, contentsRect().width()));
  }

 private:
  QString name_;
};

}  // namespace

LayerRows::LayerRows(SoundLayers& layers, QWidget* anchor, QList<QWidget*> below,
                     std::function<QString(int)> text, QWidget* parent)
    : QWidget(parent), layers_(layers), anchor_(anchor), text_(std::move(text)) {
  setObjectName(QStringLiteral("layerRows"));
  for (QWidget* w : below) {
    below_.append(w);
    belowTops_.append(w ? w->y() : 0);
  }
  if (anchor_) anchor_->installEventFilter(this);
  refresh_.setInterval(kRefreshMs);
  connect(&refresh_, &QTimer::timeout, this, &LayerRows::refresh);
  connect(&layers_, &SoundLayers::layersChanged, this, &LayerRows::rebuild);
  hide();
}

QString LayerRows::clock(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0) return QStringLiteral("-:--");
  const auto total = static_cast<qint64>(seconds);
  const qint64 h = total / 3600, m = (total / 60) % 60, s = total % 60;
  const QString mmss =
      QStringLiteral("%1:%2").arg(h ? m : total / 60).arg(s, 2, 10, QLatin1Char('0'));
  return h ? QStringLiteral("%1:%2").arg(h).arg(mmss.rightJustified(5, QLatin1Char('0'))) : mmss;
}

void LayerRows::rebuild() {
  for (const Row& r : std::as_const(rows_)) delete r.widget;
  rows_.clear();
  const QList<SoundLayers::Layer> layers = layers_.layers();
  for (const SoundLayers::Layer& l : layers) {
    Row r;
    r.id = l.id;
    r.widget = new QWidget(this);
    r.widget->setObjectName(QStringLiteral("layerRow"));
    auto* box = new QHBoxLayout(r.widget);
    box->setContentsMargins(4, 0, 2, 0);
    box->setSpacing(6);
    auto* name = new NameLabel(QFileInfo(l.path).fileName(), r.widget);
    name->setToolTip(l.path);
    // The figures in a smaller type, so that the name has room in a row as
    // narrow as the audio panel.
    r.time = label(r.widget, "layerTime", {}, Qt::AlignRight);
    r.level = label(r.widget, "layerLevel", {}, Qt::AlignRight);
    QFont small = r.widget->font();
    small.setPointSizeF(small.pointSizeF() * kFiguresScale);
    r.time->setFont(small);
    r.level->setFont(small);
    r.level->setMinimumWidth(r.level->fontMetrics().horizontalAdvance(QStringLiteral("100%")));
    auto* stop = new QToolButton(r.widget);
    stop->setObjectName(QStringLiteral("layerStop"));
    stop->setText(QStringLiteral("\u25A0"));
    stop->setToolTip(text_(kStopTipText));
    stop->setAutoRaise(true);
    stop->setFixedSize(kRowHeight - 2, kRowHeight - 2);
    stop->setFocusPolicy(Qt::NoFocus);
    connect(stop, &QToolButton::clicked, this, [this, id = l.id] { layers_.stopLayer(id); });
    box->addWidget(name, 1);
    box->addWidget(r.time);
    box->addWidget(r.level);
    box->addWidget(stop);
    // Made while the rows may already be on screen: shown by hand.
    r.widget->show();
    rows_.append(r);
  }
  refresh();
  place();
  if (rows_.isEmpty()) {
    refresh_.stop();
    hide();
  } else {
    if (!refresh_.isActive()) refresh_.start();
    show();
    raise();
  }
}

void LayerRows::refresh() {
  const QList<SoundLayers::Layer> layers = layers_.layers();
  for (const Row& r : std::as_const(rows_)) {
    for (const SoundLayers::Layer& l : layers) {
      if (l.id != r.id) continue;
      r.time->setText(clock(l.positionSeconds) + u'/' +
                      (l.lengthSeconds > 0 ? clock(l.lengthSeconds) : clock(-1)) +
                      (l.loop ? QStringLiteral(" \u21BB") : QString()));
      r.level->setText(QString::number(std::lround(l.level)) + u'%');
    }
  }
}

void LayerRows::place() {
  const int height = static_cast<int>(rows_.size()) * kRowHeight;
  if (anchor_) {
    setGeometry(anchor_->x(), anchor_->y() + anchor_->height() + 2, anchor_->width(), height);
  }
  for (int i = 0; i < rows_.size(); ++i)
    rows_[i].widget->setGeometry(0, i * kRowHeight, width(), kRowHeight);
  for (int i = 0; i < below_.size(); ++i)
    if (below_[i]) below_[i]->move(below_[i]->x(), belowTops_[i] + (height ? height + 4 : 0));
}

bool LayerRows::eventFilter(QObject* watched, QEvent* event) {
  if (watched == anchor_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
    place();
  return QWidget::eventFilter(watched, event);
}

}  // namespace scenova::audio
