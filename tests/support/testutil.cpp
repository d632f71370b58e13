#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

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

} // namespace ecolvar::test
