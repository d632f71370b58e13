// Feeds arbitrary bytes to the MP3 header-frame parser, at every stream offset the reader can
// give it, and to the test that decides whether its length is trusted.

#include "player/mp3infotag.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

using namespace ecolvar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<Mp3InfoTag> tag = findMp3InfoTag(bytes, 0);
    if (tag && (tag->streamStart < 0 || tag->streamStart >= bytes.size()))
        std::abort();
    mp3HeaderLengthIsReliable(tag, bytes.size());
    // The same bytes as a file, with an ID3v2 tag whose size may point anywhere.
    QByteArray copy = bytes;
    QBuffer file(&copy);
    file.open(QIODevice::ReadOnly);
    const std::optional<Mp3InfoTag> read = readMp3InfoTag(file);
    mp3HeaderLengthIsReliable(read, bytes.size());
    return 0;
}
