#pragma once

#include "mci_command.h"

#include <QString>

namespace scenova::platform {

// Checks a file named in an "open" command before any decoder sees it.
// Returns MciError::None and the absolute path to play in *resolved, or the
// reason it cannot be opened: FileNotFound, IsFolder, Unreadable, EmptyFile,
// or UnsupportedFormat for things that are no regular file (pipes, devices).
//
// When the path does not exist as written, a file whose name differs only in
// letter case is accepted: script cues store paths in lower case, while names
// on this system are case-sensitive.
MciError checkAudioFile(const QString& path, QString* resolved);

}  // namespace scenova::platform
