#pragma once

// The writer's part for lists: which RTF list (\ls) and level each QTextList
// becomes, the marker text of each item, and the \listtable and
// \listoverridetable that define them.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTextListFormat>

#include <array>
#include <functional>
#include <vector>

class QTextBlock;
class QTextList;

namespace scenova::platform::rtf::detail {

// How one level's markers are made, as RTF states it.
struct OutLevel {
  int nfc = 0;  // \levelnfc: 0 decimal, 1 I, 2 i, 3 A, 4 a, 23 bullet
  int start = 1;
  QString text;   // U+0000 to U+0008: the numbers of levels 1 to 9
  int font = -1;  // writer's font index, -1: the paragraph's
  bool operator==(const OutLevel&) const = default;
};

struct ListItem {
  int ls = 0;  // 1-based
  int level = 0;
  QString marker;  // the item's marker as text, for \pntext
  const OutLevel* def = nullptr;
};

class ListWriter {
 public:
  // fontIndex: the writer's font table index of a family.
  explicit ListWriter(std::function<int(const QString&)> fontIndex)
      : fontIndex_(std::move(fontIndex)) {}

  // Call for the list paragraphs in document order.
  ListItem item(const QTextList& list, const QTextBlock& block);
  bool empty() const { return lists_.empty(); }
  // The \listtable and \listoverridetable groups.
  QByteArray tables() const;

 private:
  struct OutList {
    std::array<OutLevel, 9> levels{};
    std::array<bool, 9> defined{};
    std::array<const QTextList*, 9> current{};
    std::array<int, 9> counters{};
  };
  OutLevel levelOf(const QTextListFormat& f, int level) const;
  int assign(const QTextList& list, int level);

  std::function<int(const QString&)> fontIndex_;
  std::vector<OutList> lists_;
  QHash<int, size_t> byGroup_;  // list group -> its current entry of lists_
  QHash<const QTextList*, size_t> assigned_;
};

// The \levelnfc of a list style: 0 decimal, 1 I, 2 i, 3 A, 4 a, 23 bullet.
int nfcOf(QTextListFormat::Style style);

// The number n in a list style (\levelnfc): 1, I, i, A, a (a bullet style
// counts in decimal).
QString listNumber(int n, int nfc);

}  // namespace scenova::platform::rtf::detail
