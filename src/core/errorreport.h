#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <type_traits>
#include <utility>

namespace ecolvar {

// The general error report: where an error that a handler did not catch is shown.
// The application installs a sink that shows an error box; tests install one that records.
namespace ErrorReport {

using Sink = std::function<void(const QString& text)>;

// Replaces the sink and returns the previous one. An empty sink writes to standard error.
Sink setSink(Sink sink);
void report(const QString& text);

} // namespace ErrorReport

// The text of the exception being handled (for use inside a catch block).
QString describeCurrentException();

// Runs fn; any exception escaping it is shown by the error report and the program goes on.
// Returns true when fn finished without an error.
template <typename F> bool guarded(F&& fn)
{
    try {
        std::forward<F>(fn)();
        return true;
    } catch (...) {
        ErrorReport::report(describeCurrentException());
        return false;
    }
}

namespace detail {

// Calls the handler with the signal's arguments when it takes them, otherwise with none. A
// function template of its own, so that the branch not taken depends on its parameters and is
// never instantiated.
template <typename Handler, typename Receiver, typename... Args>
void invokeHandler(const Handler& handler, Receiver* receiver, Args&&... args)
{
    if constexpr (std::is_invocable_v<const Handler&, Receiver*, Args...>)
        std::invoke(handler, receiver, std::forward<Args>(args)...);
    else
        std::invoke(handler, receiver);
}

} // namespace detail

// Connects a signal to a handler so that an error escaping the handler reaches the error
// report instead of Qt's event loop. The handler may take the signal's arguments or none:
//     connectHandler(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
template <typename Sender, typename Signal, typename Receiver, typename Handler>
QMetaObject::Connection connectHandler(
    Sender* sender, Signal signal, Receiver* receiver, Handler handler)
{
    return QObject::connect(sender, signal, receiver, [receiver, handler](auto&&... args) {
        guarded([&] {
            detail::invokeHandler(handler, receiver, std::forward<decltype(args)>(args)...);
        });
    });
}

} // namespace ecolvar
