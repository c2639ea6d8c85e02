#include "remote_settings.h"

#include <QHostAddress>

namespace scenova::remote {

std::optional<quint16> readPort(const QString& text) {
  if (text.isEmpty() || text.size() > 5) return std::nullopt;
  for (QChar c : text)
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
  const int port = text.toInt();
  if (port < 1 || port > 65535) return std::nullopt;
  return static_cast<quint16>(port);
}

RemoteSettings RemoteSettings::parse(QByteArrayView bytes) {
  RemoteSettings s;
  const QString text = QString::fromUtf8(bytes);
  for (const QString& raw : text.split(QLatin1Char('\n'))) {
    const QString line = raw.trimmed();
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0) continue;
    const QString key = line.left(eq).trimmed();
    const QString value = line.mid(eq + 1).trimmed();
    if (key == QLatin1StringView("enabled")) {
      s.enabled = value == QLatin1StringView("1");
    } else if (key == QLatin1StringView("port")) {
      if (const auto port = readPort(value)) s.port = *port;
    } else if (key == QLatin1StringView("network")) {
      s.network = value == QLatin1StringView("1");
    } else if (key == QLatin1StringView("allowed")) {
      s.allowed.clear();
      for (const QString& a : value.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (!QHostAddress(a).isNull()) s.allowed << a;
    } else if (key == QLatin1StringView("midi")) {
      s.midi = value != QLatin1StringView("0");
    } else if (key.startsWith(QLatin1StringView("midi."))) {
      for (RemoteCommand c : kMidiCommands)
        if (key.mid(5) == commandName(c)) s.mapping.setTriggers(c, value);
    }
  }
  return s;
}

QByteArray RemoteSettings::format() const {
  QString out;
  auto line = [&out](const QString& key, const QString& value) {
    out += key + QLatin1Char('=') + value + QStringLiteral("\r\n");
  };
  line(QStringLiteral("enabled"), enabled ? QStringLiteral("1") : QStringLiteral("0"));
  line(QStringLiteral("port"), QString::number(port));
  line(QStringLiteral("network"), network ? QStringLiteral("1") : QStringLiteral("0"));
  line(QStringLiteral("allowed"), allowed.join(QLatin1Char(' ')));
  line(QStringLiteral("midi"), midi ? QStringLiteral("1") : QStringLiteral("0"));
  for (RemoteCommand c : kMidiCommands)
    line(QStringLiteral("midi.") + commandName(c), mapping.triggersOf(c));
  return out.toUtf8();
}

}  // namespace scenova::remote
