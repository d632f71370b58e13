#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ecolvar::test {

ErrorRecorder::ErrorRecorder()
    : m_previous(ErrorReport::setSink([this](const QString& text) { m_errors.append(text); }))
{
}

ErrorRecorder::~ErrorRecorder()
{
    ErrorReport::setSink(std::move(m_previous));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return file.readAll();
}

void writeTone(const QString& path, const QString& seconds)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QProcess sox;
    sox.start(QStringLiteral("sox"),
        { QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-c"),
            QStringLiteral("2"), QStringLiteral("-b"), QStringLiteral("16"), path,
            QStringLiteral("synth"), seconds, QStringLiteral("sine"), QStringLiteral("440") });
    ASSERT_TRUE(sox.waitForFinished(20'000)) << "sox did not finish: " << path.toStdString();
    ASSERT_EQ(sox.exitCode(), 0) << sox.readAllStandardError().toStdString();
}

LimitedRun runUnderFileSizeLimit(qint64 limitBytes, const std::function<bool()>& fn)
{
    const pid_t pid = fork();
    if (pid < 0) {
        ADD_FAILURE() << "fork failed";
        return LimitedRun::Killed;
    }
    if (pid == 0) {
        // The child leaves with _exit: no destructor or exit handler of the test runs twice.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { static_cast<rlim_t>(limitBytes), static_cast<rlim_t>(limitBytes) };
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(static_cast<int>(LimitedRun::Killed));
        alarm(60);
        LimitedRun result = LimitedRun::Threw;
        try {
            result = fn() ? LimitedRun::Succeeded : LimitedRun::Failed;
        } catch (...) {
        }
        _exit(static_cast<int>(result));
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            ADD_FAILURE() << "waitpid failed";
            return LimitedRun::Killed;
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) > static_cast<int>(LimitedRun::Killed))
        return LimitedRun::Killed;
    return static_cast<LimitedRun>(WEXITSTATUS(status));
}

} // namespace ecolvar::test
