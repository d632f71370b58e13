#include "skipsettings.h"

#include <QSettings>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

const QString skipKey = u"practice/skipSeconds"_s;
const QString rewindKey = u"practice/rewindOnPauseSeconds"_s;

} // namespace

SkipSettings SkipSettings::clamped() const
{
    return { std::clamp(skipSeconds, minSkipSeconds, maxSkipSeconds),
        std::clamp(rewindSeconds, 0, maxRewindSeconds) };
}

SkipSettings SkipSettings::load(const QString& file)
{
    const QSettings settings(file, QSettings::IniFormat);
    const SkipSettings defaults;
    return SkipSettings { settings.value(skipKey, defaults.skipSeconds).toInt(),
        settings.value(rewindKey, defaults.rewindSeconds).toInt() }
        .clamped();
}

void SkipSettings::save(const QString& file) const
{
    QSettings settings(file, QSettings::IniFormat);
    const SkipSettings kept = clamped();
    settings.setValue(skipKey, kept.skipSeconds);
    settings.setValue(rewindKey, kept.rewindSeconds);
}

} // namespace ecolvar
