#include "script/cue_insertion.h"

#include "platform/rtb/rtb.h"

namespace scenova::script {

void insertCueKeepingFormat(platform::RTB& editor, const QString& cue, const QColor& colour) {
  // The cue goes after the selection, which stays in the script.
  editor.SetSelStart(editor.SelStart() + editor.SelLength());
  // The formatting in force where the cue goes, for the blank after it.
  const auto color = editor.SelColor();
  const auto bold = editor.SelBold();
  const auto italic = editor.SelItalic();
  const auto underline = editor.SelUnderline();
  const auto font = editor.SelFontName();
  const auto size = editor.SelFontSize();
  editor.SetSelColor(colour);
  editor.SetSelFontName(QStringLiteral("Arial"));
  editor.SetSelText(cue);
  if (color) editor.SetSelColor(*color);
  if (bold) editor.SetSelBold(*bold);
  if (italic) editor.SetSelItalic(*italic);
  if (underline) editor.SetSelUnderline(*underline);
  if (font) editor.SetSelFontName(*font);
  if (size) editor.SetSelFontSize(*size);
  editor.SetSelText(QStringLiteral(" "));
}

}  // namespace scenova::script
