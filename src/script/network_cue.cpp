#include "script/network_cue.h"

#include "platform/osc/osc_sender.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace scenova::script {

namespace {

// Arguments a cue may carry.
constexpr int kMostArguments = 32;

// Splits the arguments at blanks, keeping quoted text whole; false for an
// unterminated quote or a quote inside a word.
bool splitArguments(QStringView text, QList<platform::OscArg>& out, QString& canonical) {
  static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
  static const QRegularExpression real(
      QStringLiteral("^[+-]?([0-9]+\\.[0-9]*|\\.[0-9]+|[0-9]+)([eE][+-]?[0-9]+)?$"));
  qsizetype i = 0;
  while (i < text.size()) {
    if (text[i] == QLatin1Char(' ')) {
      ++i;
      continue;
    }
    if (out.size() >= kMostArguments) return false;
    if (text[i] == QLatin1Char('"')) {
      const qsizetype end = text.indexOf(QLatin1Char('"'), i + 1);
      if (end < 0) return false;
      if (end + 1 < text.size() && text[end + 1] != QLatin1Char(' ')) return false;
      const QString value = text.mid(i + 1, end - i - 1).toString();
      out << platform::OscArg::string(value);
      canonical += QStringLiteral(" \"") + value + QLatin1Char('"');
      i = end + 1;
      continue;
    }
    qsizetype end = i;
    while (end < text.size() && text[end] != QLatin1Char(' ')) ++end;
    const QString word = text.mid(i, end - i).toString();
    i = end;
    bool ok = false;
    if (integer.match(word).hasMatch()) {
      const qint32 v = word.toInt(&ok);
      if (!ok) return false;
      out << platform::OscArg::integer(v);
      canonical += QLatin1Char(' ') + QString::number(v);
    } else if (real.match(word).hasMatch()) {
      const float v = word.toFloat(&ok);
      if (!ok) return false;
      out << platform::OscArg::real(v);
      QString written = QString::number(double(v), 'g', 9);
      if (!written.contains(QLatin1Char('.')) && !written.contains(QLatin1Char('e')))
        written += QStringLiteral(".0");
      canonical += QLatin1Char(' ') + written;
    } else {
      return false;
    }
  }
  return true;
}

// "host:port", "[v6]:port".
bool splitHostPort(QStringView word, QString& host, quint16& port) {
  qsizetype colon = -1;
  if (word.startsWith(QLatin1Char('['))) {
    const qsizetype close = word.indexOf(QLatin1Char(']'));
    if (close < 0 || close + 1 >= word.size() || word[close + 1] != QLatin1Char(':')) return false;
    host = word.mid(1, close - 1).toString();
    if (QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol) return false;
    colon = close + 1;
  } else {
    colon = word.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) return false;
    host = word.left(colon).toString();
    if (host.contains(QLatin1Char(':'))) return false;  // IPv6 needs its brackets
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9._-]+$"));
    if (!name.match(host).hasMatch()) return false;
  }
  const QStringView digits = word.mid(colon + 1);
  if (digits.isEmpty() || digits.size() > 5) return false;
  for (QChar c : digits)
    if (!c.isDigit() || c.unicode() > '9') return false;
  const int p = digits.toInt();
  if (p < 1 || p > 65535) return false;
  port = static_cast<quint16>(p);
  return true;
}

}  // namespace

std::optional<NetworkCue> readNetworkCue(QStringView content) {
  if (content.size() < 4 || !content.startsWith(QLatin1StringView("osc "), Qt::CaseInsensitive))
    return std::nullopt;
  QStringView rest = content.mid(4).trimmed();
  const qsizetype blank = rest.indexOf(QLatin1Char(' '));
  if (blank < 0) return std::nullopt;
  NetworkCue cue;
  if (!splitHostPort(rest.left(blank), cue.host, cue.port)) return std::nullopt;
  rest = rest.mid(blank + 1).trimmed();
  qsizetype end = rest.indexOf(QLatin1Char(' '));
  if (end < 0) end = rest.size();
  const QString address = rest.left(end).toString();
  if (!address.startsWith(QLatin1Char('/')) || address.contains(QLatin1Char('"')))
    return std::nullopt;
  for (QChar c : address)
    if (c.unicode() < 0x21 || c.unicode() > 0x7e) return std::nullopt;
  cue.message.address = address;
  const bool bracketed = cue.host.contains(QLatin1Char(':'));
  cue.canonical = QStringLiteral("OSC ") +
                  (bracketed ? QLatin1Char('[') + cue.host + QLatin1Char(']') : cue.host) +
                  QLatin1Char(':') + QString::number(cue.port) + QLatin1Char(' ') + address;
  if (!splitArguments(rest.mid(end), cue.message.args, cue.canonical)) return std::nullopt;
  return cue;
}

NetworkCues::NetworkCues(std::function<void(const QString&)> notice, QObject* parent)
    : QObject(parent), notice_(std::move(notice)) {}

NetworkCues::~NetworkCues() = default;

bool NetworkCues::fire(const NetworkCue& cue) {
  const QByteArray packet = platform::encodeOscMessage(cue.message);
  if (packet.isEmpty()) {
    if (notice_) notice_(cue.canonical);
    return false;
  }
  if (!sender_) {
    sender_ = std::make_unique<platform::OscSender>();
    connect(sender_.get(), &platform::OscSender::failed, this,
            [this](const QString& host, quint16 port, const QString& reason) {
              if (notice_)
                notice_(host + QLatin1Char(':') + QString::number(port) + QStringLiteral(" (") +
                        reason + QLatin1Char(')'));
            });
  }
  sender_->send(cue.host, cue.port, packet);
  return true;
}

}  // namespace scenova::script
