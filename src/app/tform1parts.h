#pragma once

#include <QString>

// What the main window's two source files share.

namespace ecolvar {

// The segment label's width in pixels.
constexpr int label6Width = 207;

template <typename W> W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace ecolvar
