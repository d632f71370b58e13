#pragma once

#include <QString>

namespace ecolvar {

// How far F2/F3 move (1 to 60 s, 2 by default) and how far the position goes back when playing
// is paused (0 to 3 s, none by default), kept in the settings file.
struct SkipSettings {
    static constexpr int minSkipSeconds = 1;
    static constexpr int maxSkipSeconds = 60;
    static constexpr int maxRewindSeconds = 3;

    int skipSeconds = 2;
    int rewindSeconds = 0;

    // Values out of range are brought into it.
    SkipSettings clamped() const;
    // The settings kept in file (INI); the defaults for what it does not hold.
    static SkipSettings load(const QString& file);
    void save(const QString& file) const;

    friend bool operator==(const SkipSettings&, const SkipSettings&) = default;
};

} // namespace ecolvar
