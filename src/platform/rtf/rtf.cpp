#include "platform/rtf/rtf.h"

#include "platform/rtf/rtf_model.h"
#include "platform/rtf/rtf_writer.h"

#include <QTextCursor>
#include <QTextDocument>

namespace scenova::platform::rtf {

namespace {

// QTextDocument positions are int; a script this large is not a script.
constexpr qsizetype kMaxInput = qsizetype{1} << 30;

bool parse(QByteArrayView bytes, detail::Model& model, QString* error,
           std::atomic<int>* permille = nullptr) {
  if (bytes.size() > kMaxInput) {
    if (error) *error = QStringLiteral("The file is too large.");
    return false;
  }
  if (looksLikeRtf(bytes)) {
    model = detail::parseRtf(bytes, permille);
    return true;
  }
  if (!detail::parsePlainText(bytes, model)) {
    if (error) *error = QStringLiteral("The file is neither rich text nor plain text.");
    return false;
  }
  return true;
}

}  // namespace

bool looksLikeRtf(QByteArrayView bytes) {
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes = bytes.sliced(3);
  qsizetype i = 0;
  while (i < bytes.size() &&
         (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
    ++i;
  return bytes.sliced(i).startsWith("{\\rtf");
}

bool readDocument(QByteArrayView bytes, QTextDocument& doc, QString* error,
                  std::atomic<int>* permille) {
  detail::Model model;
  if (!parse(bytes, model, error, permille)) return false;
  const bool undo = doc.isUndoRedoEnabled();
  doc.setUndoRedoEnabled(false);
  doc.clear();
  QTextCursor cursor(&doc);
  detail::insertModel(model, cursor, true, permille);
  doc.setUndoRedoEnabled(undo);
  return true;
}

bool insertRtf(QTextCursor& cursor, QByteArrayView bytes) {
  if (cursor.isNull()) return false;
  detail::Model model;
  if (!parse(bytes, model, nullptr)) return false;
  detail::insertModel(model, cursor, false);
  return true;
}

QByteArray writeDocument(const QTextDocument& doc) {
  return detail::Writer(doc).write(0, doc.characterCount(), true);
}

DocumentWriter::DocumentWriter(const QTextDocument& doc)
    : writer_(std::make_unique<detail::Writer>(doc)) {
  changed_ = QObject::connect(&doc, &QTextDocument::contentsChanged, [this] { stale_ = true; });
  destroyed_ = QObject::connect(&doc, &QObject::destroyed, [this] { stale_ = true; });
}

DocumentWriter::~DocumentWriter() {
  QObject::disconnect(changed_);
  QObject::disconnect(destroyed_);
}

bool DocumentWriter::step(const QDeadlineTimer& deadline) {
  if (stale_) return false;
  if (!done_) done_ = writer_->writeSome(deadline);
  return done_;
}

int DocumentWriter::permille() const {
  return writer_->permille();
}

QByteArray DocumentWriter::take() {
  return done_ && !stale_ ? writer_->finish() : QByteArray();
}

QByteArray writeRange(const QTextDocument& doc, int from, int to) {
  return detail::Writer(doc).write(from, to, false);
}

QString plainText(QByteArrayView bytes) {
  detail::Model model;
  if (!parse(bytes, model, nullptr)) return {};
  QString out;
  out.reserve(model.text.size() + static_cast<qsizetype>(model.paragraphs.size()));
  int start = 0;
  for (size_t i = 0; i < model.paragraphs.size(); ++i) {
    const int end = model.paragraphs[i].end;
    if (i > 0) out += u'\n';
    out += QStringView(model.text).sliced(start, end - start);
    start = end;
  }
  return out;
}

}  // namespace scenova::platform::rtf
