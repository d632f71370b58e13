#include "core/ecolvarerror.h"
#include "core/errorreport.h"

#include "qtprinters.h"
#include "testutil.h"

#include <QObject>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

class Source : public QObject {
    Q_OBJECT
Q_SIGNALS:
    void fired(int value);
};

class Handler : public QObject {
public:
    void withValue(int value)
    {
        values.append(value);
        if (value < 0)
            throw EcolvarError(u"Cannot open file \"%1\"."_s.arg(value));
    }
    void withoutValue()
    {
        ++calls;
        throw std::runtime_error("I/O error 5");
    }

    QList<int> values;
    int calls = 0;
};

TEST(ErrorReport, GuardedShowsTheErrorAndReportsFailure)
{
    test::ErrorRecorder recorder;
    EXPECT_TRUE(guarded([] {}));
    EXPECT_FALSE(guarded([] { throw EcolvarError(u"数据库错误"_s); }));
    EXPECT_FALSE(guarded([] { throw 42; }));
    EXPECT_EQ(recorder.errors(), QStringList({ u"数据库错误"_s, u"Unknown error"_s }));
}

TEST(ErrorReport, ConnectedHandlersReportTheirErrorsAndKeepWorking)
{
    test::ErrorRecorder recorder;
    Source source;
    Handler handler;
    connectHandler(&source, &Source::fired, &handler, &Handler::withValue);
    connectHandler(&source, &Source::fired, &handler, &Handler::withoutValue);

    Q_EMIT source.fired(-7);
    Q_EMIT source.fired(3);

    EXPECT_EQ(handler.values, QList<int>({ -7, 3 }));
    EXPECT_EQ(handler.calls, 2);
    EXPECT_EQ(recorder.errors(),
        QStringList({ u"Cannot open file \"-7\"."_s, u"I/O error 5"_s, u"I/O error 5"_s }));
}

} // namespace
} // namespace ecolvar

#include "errorreport_test.moc"
