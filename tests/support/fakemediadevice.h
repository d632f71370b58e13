#pragma once

#include "player/mediadevice.h"

#include <QHash>
#include <QStringList>

namespace ecolvar::test {

// A media device over imaginary files, driven by a manual clock: time passes only in
// advance(). Records every operation in calls() ("Open a.mp3", "Seek 100", "Play 0-5000", ...,
// and "Move on b.mp3" when playing goes on into the queued file).
class FakeMediaDevice : public MediaDevice {
public:
    // A file that opens with the given length in milliseconds. Playing moves on without a gap
    // only between files of the same `format` number: files the device can bring to one output
    // format (any sample rate, channel counts equal or one of them mono) share one.
    void addFile(const QString& path, int lengthMs, int format = 0);
    // A file whose Open throws with the given text.
    void addBrokenFile(const QString& path, const QString& errorText);

    void Open() override;
    void Close() override;
    void Play() override;
    void Stop() override;
    void Seek(int ms) override;
    int Length() override;
    int Position() override;
    int Mode() override;
    void setVolume(float level) override { m_volume = level; }

    // Lets ms milliseconds of playback pass: the position moves on at the speed, continues at
    // the loop's start when it reaches the loop's end, goes on into the queued file at the end
    // of the file when it can, and otherwise stops at the end point (or the end of the file)
    // with the position there.
    void advance(int ms);

    bool isOpen() const { return m_open; }
    float volume() const { return m_volume; }
    const QString& openFile() const { return m_openFile; }
    const QStringList& calls() const { return m_calls; }
    void clearCalls() { m_calls.clear(); }

private:
    void requireOpen() const;

    // Moves on into the queued file; false when playing cannot go on into it.
    bool moveOn();

    QHash<QString, int> m_lengths;
    QHash<QString, int> m_formats;
    QHash<QString, QString> m_broken;
    QStringList m_calls;
    QString m_openFile;
    bool m_open = false;
    int m_length = 0;
    int m_position = 0;
    int m_end = 0;
    int m_mode = ModeNotReady;
    float m_volume = 1.0F;
};

} // namespace ecolvar::test
