#pragma once

// Putting a cue into the script from a dialog (Add Command, Insert media
// reference): after the selection, in the cue's colour and Arial, followed
// by a blank in the formatting that was in force there, so that the author
// types on as before.

#include <QColor>
#include <QString>

namespace scenova::platform {
class RTB;
}

namespace scenova::script {

void insertCueKeepingFormat(platform::RTB& editor, const QString& cue, const QColor& colour);

}  // namespace scenova::script
