#include "errorreport.h"

#include "ecolvarerror.h"

#include <QTextStream>

#include <exception>
#include <new>

namespace ecolvar {

namespace {

ErrorReport::Sink& currentSink()
{
    static ErrorReport::Sink sink;
    return sink;
}

} // namespace

ErrorReport::Sink ErrorReport::setSink(Sink sink)
{
    return std::exchange(currentSink(), std::move(sink));
}

void ErrorReport::report(const QString& text)
{
    if (const Sink& sink = currentSink()) {
        sink(text);
        return;
    }
    QTextStream(stderr) << text << Qt::endl;
}

QString describeCurrentException()
{
    try {
        throw;
    } catch (const EcolvarError& e) {
        return e.text();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace ecolvar
