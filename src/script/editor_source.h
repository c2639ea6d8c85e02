#pragma once

#include "platform/rtb/rtb.h"
#include "script/cue_search.h"

namespace scenova::script {

// The script in the editor, read through its position index.
class EditorSource final : public ScriptSource {
 public:
  explicit EditorSource(const platform::RTB& editor) : editor_(editor) {}
  int length() const override { return editor_.TextLength(); }
  QString read(int position, int count) const override { return editor_.Mid(position, count); }

 private:
  const platform::RTB& editor_;
};

}  // namespace scenova::script
