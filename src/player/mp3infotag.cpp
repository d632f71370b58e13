#include "mp3infotag.h"

#include <QIODevice>

namespace ecolvar {

namespace {

constexpr std::int64_t searchLimit = std::int64_t { 64 } * 1024;

std::uint32_t bigEndian32(const QByteArray& bytes, std::int64_t at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

bool hasBytes(const QByteArray& bytes, std::int64_t at, std::int64_t count)
{
    return at >= 0 && count >= 0 && at + count <= bytes.size();
}

bool matches(const QByteArray& bytes, std::int64_t at, const char* text)
{
    const std::int64_t length = static_cast<std::int64_t>(qstrlen(text));
    return hasBytes(bytes, at, length) && bytes.mid(at, length) == QByteArray(text);
}

struct FrameHeader {
    bool mpeg1 = false;
    bool mono = false;
    std::int64_t length = 0;
};

// Decodes a layer III frame header at `at`; nothing when the four bytes are not one.
std::optional<FrameHeader> frameHeaderAt(const QByteArray& bytes, std::int64_t at)
{
    if (!hasBytes(bytes, at, 4))
        return std::nullopt;
    const std::uint32_t h = bigEndian32(bytes, at);
    const unsigned version = (h >> 19) & 3; // 0: MPEG 2.5, 2: MPEG 2, 3: MPEG 1
    const unsigned layer = (h >> 17) & 3; // 1: layer III
    const unsigned bitrateIndex = (h >> 12) & 15;
    const unsigned rateIndex = (h >> 10) & 3;
    if ((h & 0xFFE00000u) != 0xFFE00000u || version == 1 || layer != 1 || bitrateIndex == 0
        || bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt;

    static constexpr int bitratesV1[15]
        = { 0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320 };
    static constexpr int bitratesV2[15]
        = { 0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160 };
    static constexpr int ratesV1[3] = { 44100, 48000, 32000 };
    FrameHeader frame;
    frame.mpeg1 = version == 3;
    frame.mono = ((h >> 6) & 3) == 3;
    const int rate = ratesV1[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const int kbps = frame.mpeg1 ? bitratesV1[bitrateIndex] : bitratesV2[bitrateIndex];
    const int padding = static_cast<int>((h >> 9) & 1);
    frame.length = (frame.mpeg1 ? 144000 : 72000) * kbps / rate + padding;
    return frame;
}

} // namespace

std::optional<Mp3InfoTag> readMp3InfoTag(QIODevice& file)
{
    const QByteArray id3 = file.read(10);
    std::int64_t tagSize = 0;
    if (matches(id3, 0, "ID3") && id3.size() == 10) {
        for (int i = 6; i < 10; ++i)
            tagSize = (tagSize << 7) | (static_cast<unsigned char>(id3[i]) & 0x7F);
        tagSize += (static_cast<unsigned char>(id3[5]) & 0x10) ? 20 : 10;
    }
    if (!file.seek(tagSize))
        return std::nullopt;
    return findMp3InfoTag(file.read(searchLimit), tagSize);
}

std::optional<Mp3InfoTag> findMp3InfoTag(const QByteArray& bytes, std::int64_t offset)
{
    // The first frame header that a second one follows at the announced distance: a lone sync
    // pattern inside junk is not taken for a frame.
    for (std::int64_t at = 0; hasBytes(bytes, at, 4); ++at) {
        const std::optional<FrameHeader> frame = frameHeaderAt(bytes, at);
        if (!frame || !frameHeaderAt(bytes, at + frame->length))
            continue;

        Mp3InfoTag tag;
        tag.streamStart = offset + at;
        const std::int64_t sideInfo
            = frame->mpeg1 ? (frame->mono ? 17 : 32) : (frame->mono ? 9 : 17);
        const std::int64_t xing = at + 4 + sideInfo;
        if (matches(bytes, xing, "Xing") || matches(bytes, xing, "Info")) {
            if (!hasBytes(bytes, xing + 4, 4))
                return std::nullopt;
            const std::uint32_t flags = bigEndian32(bytes, xing + 4);
            std::int64_t field = xing + 8;
            if (flags & 1) {
                if (!hasBytes(bytes, field, 4))
                    return std::nullopt;
                tag.frames = bigEndian32(bytes, field);
                field += 4;
            }
            if ((flags & 2) && hasBytes(bytes, field, 4))
                tag.bytes = bigEndian32(bytes, field);
            return tag;
        }
        const std::int64_t vbri = at + 4 + 32;
        if (matches(bytes, vbri, "VBRI") && hasBytes(bytes, vbri + 10, 8)) {
            tag.bytes = bigEndian32(bytes, vbri + 10);
            tag.frames = bigEndian32(bytes, vbri + 14);
            return tag;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

bool mp3HeaderLengthIsReliable(const std::optional<Mp3InfoTag>& tag, std::int64_t fileSize)
{
    if (!tag || !tag->frames || *tag->frames == 0)
        return false;
    // Without a byte count there is no way to tell a truncated file: trust the header.
    return !tag->bytes || fileSize - tag->streamStart >= static_cast<std::int64_t>(*tag->bytes);
}

} // namespace ecolvar
