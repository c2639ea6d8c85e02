#pragma once

// The script editor seen through the undo interface, for driving the
// full-copy reference history on a real editor.

#include "platform/rtb/rtb.h"
#include "tools/undo_history.h"

namespace scenova::tools::testing {

class RtbPort final : public UndoEditor {
 public:
  explicit RtbPort(platform::RTB& e) : e_(e) {}
  int length() const override { return e_.TextLength(); }
  QString mid(int p, int n) const override { return e_.Mid(p, n); }
  int selStart() const override { return e_.SelStart(); }
  void select(int s, int n) override { e_.Select(s, n); }
  void replaceSelection(const QString& t) override { e_.SetSelText(t); }
  void focus() override {}

 private:
  platform::RTB& e_;
};

}  // namespace scenova::tools::testing
