// Feeds arbitrary bytes to the style-stream decoder. The first byte chooses the style class
// (text, paragraph, list); the rest is the stream. Whatever decodes must encode to a stream
// that decodes to the same styles.

#include "transcripts/stylestream.h"

#include <cstdint>
#include <cstdlib>

using namespace ecolvar;

namespace {

template <class Style> void check(QByteArrayView stream)
{
    QList<Style> styles;
    if (!decodeStyles(stream, styles))
        return;
    // An empty name is not written, so a decoded style may come back with the new-style name;
    // from the second round on, the styles and the bytes stay the same.
    QList<Style> once;
    QList<Style> twice;
    const QByteArray first = encodeStyles(styles);
    if (!decodeStyles(first, once))
        std::abort();
    const QByteArray second = encodeStyles(once);
    if (!decodeStyles(second, twice) || !(twice == once) || encodeStyles(twice) != second)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArrayView stream(data + 1, qsizetype(size - 1));
    switch (data[0] % 3) {
    case 0:
        check<TFontInfo>(stream);
        break;
    case 1:
        check<TParaInfo>(stream);
        break;
    default:
        check<TRVListInfo>(stream);
        break;
    }
    return 0;
}
