#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace ecolvar {

// Text in the program's code page (GBK, code page 936). Bytes that are not valid GBK decode to
// U+FFFD.
QString fromGbk(QByteArrayView bytes);

// The GBK bytes of text, or nothing when GBK cannot hold one of its characters.
std::optional<QByteArray> toGbk(QStringView text);

// Text as UTF-16 code units, little-endian; an odd last byte is ignored.
QString fromUtf16Le(QByteArrayView bytes);
QByteArray toUtf16Le(QStringView text);

} // namespace ecolvar
