#pragma once

#include "core/errorreport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace ecolvar::test {

// Records what reaches the error report while it lives; restores the previous sink after.
class ErrorRecorder {
public:
    ErrorRecorder();
    ~ErrorRecorder();
    ErrorRecorder(const ErrorRecorder&) = delete;
    ErrorRecorder& operator=(const ErrorRecorder&) = delete;

    const QStringList& errors() const { return m_errors; }

private:
    QStringList m_errors;
    ErrorReport::Sink m_previous;
};

// Writes bytes to path, creating the directories above it. Fails the test when it cannot.
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// Makes path a WAV file of the given seconds ("0.6") of a 440 Hz tone, 44.1 kHz stereo 16-bit,
// with sox. Fails the test when sox fails.
void writeTone(const QString& path, const QString& seconds);

// How a function run by runUnderFileSizeLimit ended.
enum class LimitedRun { Succeeded, Failed, Threw, Killed };

// Runs fn in a child process in which no file may grow beyond limitBytes: a write past the
// limit fails (EFBIG) as on a full disk, it does not end the process. Succeeded or Failed is
// what fn returned; Threw, an exception escaped it; Killed, the child ended by a signal or did
// not finish within a minute.
LimitedRun runUnderFileSizeLimit(qint64 limitBytes, const std::function<bool()>& fn);

} // namespace ecolvar::test
