// Feeds arbitrary bytes to the transcript reader. Besides crashes, sanitizer reports and
// timeouts, it checks that what was read is stable: written and read back, it gives the same
// document; from the second round on (once empty tags have become absent ones, which the
// writer keeps in separate records) also the same bytes.

#include "transcripts/transcriptfile.h"

#include <cstdint>
#include <cstdlib>

using namespace ecolvar;

namespace {

// Writes doc, reads the bytes back; nothing when the writer refuses it.
std::optional<QByteArray> rewrite(const RVDocument& doc, const TRVStyle& style, RVDocument& back)
{
    const std::optional<QByteArray> bytes = writeTranscript(doc, style);
    if (!bytes)
        return std::nullopt;
    TRVStyle backStyle = englishPaneStyle();
    if (!readTranscript(*bytes, back, backStyle))
        std::abort(); // the writer produced a file the reader refuses
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RVDocument doc;
    TRVStyle style = englishPaneStyle();
    readTranscript(QByteArrayView(data, qsizetype(size)), doc, style);
    RVDocument once;
    const std::optional<QByteArray> first = rewrite(doc, style, once);
    if (!first)
        return 0;
    RVDocument twice;
    const std::optional<QByteArray> second = rewrite(once, style, twice);
    if (!second || !(twice == once))
        std::abort();
    RVDocument thrice;
    const std::optional<QByteArray> third = rewrite(twice, style, thrice);
    if (!third || *third != *second || !(thrice == twice))
        std::abort();
    return 0;
}
