#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace ecolvar {

class LengthCache;

// Mode numbers of a media device. Callers test only Stopped and Playing.
enum MediaMode : int {
    ModeNotReady = 0,
    ModeStopped = 1,
    ModePlaying = 2,
    ModeRecording = 3,
    ModeSeeking = 4,
    ModePaused = 5,
    ModeOpen = 6,
};

// A device that opens one audio file and plays it, or a range of it. Positions and lengths are
// whole milliseconds. Play, Stop, Seek and Length throw EcolvarError("No MCI device open") when
// no file is open; Position and Mode then read 0 and ModeNotReady.
//
// A start point and an end point set with setPlayFrom/setPlayTo are pending: they apply to the
// next Play only, and stay readable through PlayFrom()/PlayTo() afterwards.
class MediaDevice {
public:
    virtual ~MediaDevice() = default;

    // The full path that the next Open uses.
    const QString& FileName() const { return m_fileName; }
    void setFileName(const QString& path) { m_fileName = path; }

    // Closes a file still open, then opens FileName(). Throws EcolvarError carrying the
    // decoder's text when the file cannot be opened.
    virtual void Open() = 0;
    // Closes the file; does nothing when none is open.
    virtual void Close() = 0;

    // Starts playing and returns at once: over the pending range if one was set, else from the
    // position to the end of the file (from the beginning when the position is at the end).
    // An empty or inverted pending range plays on from the position.
    virtual void Play() = 0;
    virtual void Stop() = 0;
    // Moves the position to ms (clamped to the file) and returns when done; playback stops.
    virtual void Seek(int ms) = 0;

    virtual int Length() = 0;
    virtual int Position() = 0;
    virtual int Mode() = 0;
    // The loudness of what is played, 0 (silent) to 1 (as decoded), as a linear factor; it holds
    // for every later play too. An output without sound ignores it.
    virtual void setVolume(float level) = 0;

    // Where Open finds the seek index stored for a file measured before, and stores the one its
    // scan makes (an MP3 without a usable header). Without a cache (the default, and on a thread
    // other than the cache's) every such file is scanned at open.
    virtual void setLengthCache(LengthCache* /*cache*/) { }
    // The seek index made by the scan at the last Open, for the caller to store with the length;
    // empty when that open did not scan.
    virtual const QByteArray& scannedSeekIndex() const
    {
        static const QByteArray none;
        return none;
    }

    void setPlayFrom(int ms)
    {
        m_playFrom = ms;
        m_fromPending = true;
    }
    void setPlayTo(int ms)
    {
        m_playTo = ms;
        m_toPending = true;
    }
    int PlayFrom() const { return m_playFrom; }
    int PlayTo() const { return m_playTo; }

    // The playback speed, from minSpeed to maxSpeed in steps of 0.1, the pitch unchanged. It
    // holds across plays, seeks and files, and takes effect at once while playing. Positions
    // and lengths stay in the file's own time at any speed.
    static constexpr double minSpeed = 0.5;
    static constexpr double maxSpeed = 2.0;
    double speed() const { return m_speed; }
    // Clamps to the range and rounds to the nearest step.
    void setSpeed(double speed);

    // A loop inside the open file: while playing before its end, playback that reaches the end
    // continues at the start, sample-exact. An end point of the play before the loop's end stops
    // there first. An empty or inverted range clears the loop; Open clears it too.
    struct LoopRange {
        int fromMs;
        int toMs;
    };
    void setLoop(int fromMs, int toMs);
    void clearLoop();
    const std::optional<LoopRange>& loop() const { return m_loop; }

    // The file queued to follow the open one (empty: none). The device may open it ahead of
    // time; a play that reaches the end of the open file (no end point before it, no loop
    // active) then goes on into it without a gap when both have the same format. Once what is
    // heard has passed that seam, the queued file is the open one: FileName, Length and Position
    // describe it, it has left the queue and movedOnCount() has gone up by one. Otherwise playback
    // stops at the end as always, and an Open of the queued file uses what was opened ahead.
    // Open of any other file empties the queue; Close keeps it. A change of the queue in the
    // last moments of the open file (what the output already holds) may come too late: the
    // device then still moves on to the file queued before, and a file queued since stays
    // queued.
    void setNextFile(const QString& path);
    void clearNextFile() { setNextFile(QString()); }
    const QString& nextFile() const { return m_nextFile; }
    // How many times playback has moved on into a queued file, as of the last Position() or
    // Mode().
    int movedOnCount() const { return m_movedOn; }

protected:
    // Called after the speed, the loop or the queued file changed.
    virtual void speedChanged() { }
    virtual void loopChanged() { }
    virtual void nextFileChanged() { }
    // Playback went on into the queued file `path`: it is the open file from now on (the loop,
    // which belonged to the file before, ends).
    void movedOn(const QString& path);

    struct PendingRange {
        std::optional<int> from;
        std::optional<int> to;
    };
    // The points set since the last play; they are no longer pending afterwards.
    PendingRange takePending()
    {
        PendingRange range;
        if (m_fromPending)
            range.from = m_playFrom;
        if (m_toPending)
            range.to = m_playTo;
        m_fromPending = m_toPending = false;
        return range;
    }

private:
    QString m_fileName;
    int m_playFrom = 0;
    int m_playTo = 0;
    bool m_fromPending = false;
    bool m_toPending = false;
    double m_speed = 1.0;
    std::optional<LoopRange> m_loop;
    QString m_nextFile;
    int m_movedOn = 0;
};

// The error text of Play, Stop, Seek and Length without an open file.
inline QString noDeviceOpenText()
{
    return QStringLiteral("No MCI device open");
}

} // namespace ecolvar
