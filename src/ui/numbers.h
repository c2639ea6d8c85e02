#pragma once

// Numbers as cues, dialog fields and the players' counters read and write
// them: always with a point, whatever the user's locale. Widget-free, below
// the script, audio and video code that all use it.

#include <QString>
#include <QStringView>

namespace scenova::ui {

// Reads a number by the one rule used for command arguments and dialog
// fields: blanks, tabs and line feeds ignored anywhere; optional sign; digits
// with at most one '.'; optional E/D exponent; &H hex and &O octal; reading
// stops at the first character that fits none of these. No number reads 0.
double ReadNumber(QStringView text);

// Signed decimal form: a leading blank for values >= 0, "-" otherwise, then
// the digits, a fraction only when there is one, and no "0" before the point
// of a value below 1 (12 -> " 12", 0.5 -> " .5", -2.25 -> "-2.25").
QString signedDecimal(double value);

}  // namespace scenova::ui
