#include "transcripts/textcodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace ecolvar {

namespace {

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool isAscii(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace

QString fromGbk(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    static thread_local QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    decoder.resetState();
    return decoder.decode(bytes);
}

std::optional<QByteArray> toGbk(QStringView text)
{
    if (isAscii(text))
        return text.toLatin1();
    // Once an encoder has met a character it cannot convert, it keeps reporting the error even
    // after resetState() (Qt 6.4 with ICU), so a fresh one is made after each failure.
    static thread_local std::optional<QStringEncoder> encoder;
    if (!encoder)
        encoder.emplace("GBK", QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder->encode(text);
    if (encoder->hasError()) {
        encoder.reset();
        return std::nullopt;
    }
    return bytes;
}

QString fromUtf16Le(QByteArrayView bytes)
{
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(quint8(bytes[2 * i]) | quint8(bytes[2 * i + 1]) << 8);
    return text;
}

QByteArray toUtf16Le(QStringView text)
{
    QByteArray bytes(2 * text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        bytes[2 * i] = char(text[i].unicode() & 0xFF);
        bytes[2 * i + 1] = char(text[i].unicode() >> 8);
    }
    return bytes;
}

} // namespace ecolvar
