#pragma once

#include <QString>

namespace ecolvar {

// The file where the learner's settings (volume, speed, skip length...) are kept, in INI form:
// ecolvar.conf in the user's configuration folder, or the one set at start-up (beside the data
// of a portable layout).
QString settingsFile();
void setSettingsFile(const QString& path);

} // namespace ecolvar
