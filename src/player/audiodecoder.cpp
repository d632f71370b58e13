#include "audiodecoder.h"

#include "core/ecolvarerror.h"
#include "player/mp3infotag.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <mpg123.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

QString openErrorText(const QString& path, const QString& reason, const QString& decoderText)
{
    QString text
        = u"Cannot open the audio file \"%1\": %2."_s.arg(QDir::toNativeSeparators(path), reason);
    if (!decoderText.isEmpty())
        text += u"\nDecoder: "_s + decoderText;
    return text;
}

// Our reading of why a decoder refused a file: its own text is often misleading (libsndfile
// calls an empty file "not a regular file").
QString openFailureReason(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return u"the file does not exist"_s;
    if (!info.isFile())
        return u"it is not a file"_s;
    if (!info.isReadable())
        return u"the file cannot be read"_s;
    if (info.size() == 0)
        return u"the file is empty"_s;
    return u"it is not an MP3 or WAV file, or it is damaged"_s;
}

[[noreturn]] void refuse(const QString& path, const QString& decoderText)
{
    throw EcolvarError(openErrorText(path, openFailureReason(path), decoderText));
}

// The containers libsndfile reads, by their first bytes; anything else is taken for MPEG audio.
bool isSndFileContainer(const QByteArray& head)
{
    static const char* const magics[]
        = { "RIFF", "RIFX", "RF64", "FORM", "fLaC", "OggS", ".snd", "caff", "wvpk" };
    return std::any_of(std::begin(magics), std::end(magics),
        [&](const char* magic) { return head.startsWith(magic); });
}

class SndFileDecoder : public AudioDecoder {
public:
    explicit SndFileDecoder(const QString& path)
    {
        SF_INFO info {};
        m_file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
        if (!m_file)
            refuse(path, QString::fromLocal8Bit(sf_strerror(nullptr)));
        m_channels = info.channels;
        m_sampleRate = info.samplerate;
        m_frames = info.frames;
        // Floating-point samples read as 16-bit ones come out unscaled (0.5 as 0): they are read
        // as floats in [-1, 1] and scaled here.
        const int subtype = info.format & SF_FORMAT_SUBMASK;
        m_floats = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
    }
    ~SndFileDecoder() override { sf_close(m_file); }
    SndFileDecoder(const SndFileDecoder&) = delete;
    SndFileDecoder& operator=(const SndFileDecoder&) = delete;

    bool seekFrame(qint64 frame) override
    {
        if (frame == m_at)
            return true;
        m_at = sf_seek(m_file, frame, SEEK_SET) == frame ? frame : -1;
        return m_at == frame;
    }
    qint64 readFrames(qint16* data, qint64 count) override
    {
        if (m_at < 0)
            return 0;
        sf_count_t got = 0;
        if (m_floats) {
            m_buffer.resize(static_cast<std::size_t>(count * m_channels));
            got = std::max<sf_count_t>(sf_readf_float(m_file, m_buffer.data(), count), 0);
            for (qint64 i = 0; i < got * m_channels; ++i)
                data[i] = static_cast<qint16>(std::clamp(
                    std::lrint(m_buffer[static_cast<std::size_t>(i)] * 32768.0F), -32768L, 32767L));
        } else {
            got = std::max<sf_count_t>(sf_readf_short(m_file, data, count), 0);
        }
        m_at += got;
        return got;
    }

private:
    SNDFILE* m_file = nullptr;
    bool m_floats = false;
    std::vector<float> m_buffer;
    // The frame the next read returns; -1 after a failed seek.
    qint64 m_at = 0;
};

// What a scan of an MP3's frames found: its exact length and libmpg123's frame index (the byte
// offset of every `step`-th MPEG frame).
struct Mp3SeekIndex {
    static constexpr quint32 magic = 0x45534931; // "ESI1"
    static constexpr quint32 maxEntries = 1U << 20;

    qint64 fileSize = 0;
    qint64 frames = 0;
    qint64 step = 0;
    std::vector<off_t> offsets;

    QByteArray toBytes() const
    {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << magic << fileSize << frames << step << static_cast<quint32>(offsets.size());
        for (const off_t offset : offsets)
            out << static_cast<qint64>(offset);
        return bytes;
    }

    // Nothing when the bytes are not an index, or not one of a file of fileSize bytes.
    static std::optional<Mp3SeekIndex> fromBytes(const QByteArray& bytes, qint64 fileSize)
    {
        QDataStream in(bytes);
        quint32 tag = 0;
        quint32 count = 0;
        Mp3SeekIndex index;
        in >> tag >> index.fileSize >> index.frames >> index.step >> count;
        if (in.status() != QDataStream::Ok || tag != magic || index.fileSize != fileSize
            || index.frames <= 0 || index.step <= 0 || count == 0 || count > maxEntries)
            return std::nullopt;
        index.offsets.reserve(count);
        qint64 previous = -1;
        for (quint32 i = 0; i < count; ++i) {
            qint64 offset = 0;
            in >> offset;
            if (offset <= previous || offset >= fileSize)
                return std::nullopt;
            index.offsets.push_back(static_cast<off_t>(offset));
            previous = offset;
        }
        if (in.status() != QDataStream::Ok || !in.atEnd())
            return std::nullopt;
        return index;
    }
};

// The file as libmpg123 reads it: through a window that grows from 16 KiB to 256 KiB while the
// reading goes on from where it was, so that walking the frame headers costs one read of the
// file per window instead of two system calls per frame (ten times faster), and an open that
// reads only the start reads little.
class ReadWindow {
public:
    explicit ReadWindow(std::unique_ptr<QFile> file)
        : m_file(std::move(file)), m_size(m_file->size())
    {
    }
    QFile& file() { return *m_file; }

    static mpg123_ssize_t read(void* handle, void* out, size_t count)
    {
        auto& self = *static_cast<ReadWindow*>(handle);
        auto* to = static_cast<char*>(out);
        size_t done = 0;
        while (done < count) {
            const qint64 inWindow = self.m_position - self.m_start;
            if (inWindow >= 0 && inWindow < self.m_length) {
                const auto take = static_cast<size_t>(
                    std::min<qint64>(self.m_length - inWindow, qint64(count - done)));
                std::memcpy(to + done, self.m_bytes.data() + inWindow, take);
                done += take;
                self.m_position += static_cast<qint64>(take);
            } else if (!self.fill()) {
                break;
            }
        }
        return static_cast<mpg123_ssize_t>(done);
    }
    static off_t seek(void* handle, off_t offset, int whence)
    {
        auto& self = *static_cast<ReadWindow*>(handle);
        const qint64 base
            = whence == SEEK_SET ? 0 : (whence == SEEK_CUR ? self.m_position : self.m_size);
        if (offset < -base)
            return -1;
        self.m_position = base + offset;
        return static_cast<off_t>(self.m_position);
    }

private:
    bool fill()
    {
        if (m_position >= m_size || !m_file->seek(m_position))
            return false;
        constexpr std::size_t smallest = 16 * 1024;
        constexpr std::size_t largest = 256 * 1024;
        const bool goesOn = m_length > 0 && m_position == m_start + m_length;
        m_bytes.resize(goesOn ? std::min(2 * m_bytes.size(), largest) : smallest);
        m_length = std::max<qint64>(
            m_file->read(m_bytes.data(), static_cast<qint64>(m_bytes.size())), 0);
        m_start = m_position;
        return m_length > 0;
    }

    std::unique_ptr<QFile> m_file;
    qint64 m_size;
    std::vector<char> m_bytes;
    qint64 m_start = 0; // where the window is in the file
    qint64 m_length = 0; // how many bytes it holds
    qint64 m_position = 0; // where libmpg123 reads next
};

class Mpg123Decoder : public AudioDecoder {
public:
    // Reads the open file, which it keeps.
    Mpg123Decoder(const QString& path, std::unique_ptr<QFile> opened, const QByteArray& knownIndex)
        : m_window(std::move(opened)), m_owner(mpg123_new(nullptr, nullptr), &mpg123_delete),
          m_handle(m_owner.get())
    {
        if (!m_handle)
            refuse(path, u"the MP3 decoder could not start"_s);
        QFile& file = m_window.file();
        const std::optional<Mp3InfoTag> tag = readMp3InfoTag(file);
        const bool headerReliable = mp3HeaderLengthIsReliable(tag, file.size());
        long flags = MPG123_QUIET;
        // A header that disagrees with the bytes is read as audio, like any frame: decoding then
        // gives the same samples whether the file was scanned or its stored index used.
        if (tag && !headerReliable)
            flags |= MPG123_IGNORE_INFOFRAME;
        mpg123_param(m_handle, MPG123_ADD_FLAGS, flags, 0);
        mpg123_format_none(m_handle);
        const long* rates = nullptr;
        size_t rateCount = 0;
        mpg123_rates(&rates, &rateCount);
        for (size_t i = 0; i < rateCount; ++i)
            mpg123_format(m_handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

        long rate = 0;
        int channels = 0;
        int encoding = 0;
        if (mpg123_replace_reader_handle(m_handle, &ReadWindow::read, &ReadWindow::seek, nullptr)
                != MPG123_OK
            || mpg123_open_handle(m_handle, &m_window) != MPG123_OK
            || mpg123_getformat(m_handle, &rate, &channels, &encoding) != MPG123_OK)
            refuse(path, decoderText());
        m_channels = channels;
        m_sampleRate = static_cast<int>(rate);

        if (headerReliable) {
            m_frames = mpg123_length(m_handle);
        } else if (auto index = Mp3SeekIndex::fromBytes(knownIndex, file.size());
                   index && useIndex(*index)) {
            m_frames = index->frames;
        } else {
            scan(path, file.size());
        }
    }

    bool seekFrame(qint64 frame) override
    {
        if (frame == m_at)
            return true;
        bool sought = mpg123_seek(m_handle, static_cast<off_t>(frame), SEEK_SET) == frame;
        if (!sought && std::exchange(m_storedIndex, false)) {
            // The stored index does not fit the file after all: seek without it.
            mpg123_set_index(m_handle, nullptr, 0, 0);
            sought = mpg123_seek(m_handle, static_cast<off_t>(frame), SEEK_SET) == frame;
        }
        m_at = sought ? frame : -1;
        return sought;
    }
    qint64 readFrames(qint16* data, qint64 count) override
    {
        if (m_at < 0)
            return 0;
        const qint64 bytesPerFrame = 2 * static_cast<qint64>(m_channels);
        auto* out = reinterpret_cast<unsigned char*>(data);
        qint64 got = 0;
        while (got < count) {
            size_t done = 0;
            const int result = mpg123_read(m_handle, out + got * bytesPerFrame,
                static_cast<size_t>((count - got) * bytesPerFrame), &done);
            got += static_cast<qint64>(done) / bytesPerFrame;
            // The end, an error, or a part of another format (two files joined): decoding ends
            // here, and the file is taken to end here. A seek may announce the format again.
            if (result == MPG123_NEW_FORMAT && sameFormat())
                continue;
            if (result != MPG123_OK || done == 0)
                break;
        }
        m_at += got;
        return got;
    }

private:
    bool sameFormat()
    {
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        return mpg123_getformat(m_handle, &rate, &channels, &encoding) == MPG123_OK
            && rate == m_sampleRate && channels == m_channels;
    }

    QString decoderText() const { return QString::fromLocal8Bit(mpg123_strerror(m_handle)); }

    bool useIndex(Mp3SeekIndex& index)
    {
        // The offsets must still point at frames: a file changed under the same stamp (or a
        // damaged store) would otherwise be decoded from the middle of frames.
        QFile& file = m_window.file();
        const std::size_t count = index.offsets.size();
        const std::size_t probes = std::min<std::size_t>(count, 16);
        for (std::size_t k = 0; k < probes; ++k) {
            const off_t offset = index.offsets[probes > 1 ? k * (count - 1) / (probes - 1) : 0];
            const QByteArray head = file.seek(offset) ? file.read(2) : QByteArray();
            if (head.size() < 2 || static_cast<unsigned char>(head[0]) != 0xFF
                || (static_cast<unsigned char>(head[1]) & 0xE0) != 0xE0)
                return false;
        }
        m_storedIndex = mpg123_set_index(m_handle, index.offsets.data(),
                            static_cast<off_t>(index.step), index.offsets.size())
            == MPG123_OK;
        return m_storedIndex;
    }

    // Walks the frame headers without decoding: the exact length, and an index for seeking.
    void scan(const QString& path, qint64 fileSize)
    {
        if (mpg123_scan(m_handle) != MPG123_OK)
            refuse(path, decoderText());
        m_frames = mpg123_length(m_handle);
        off_t* offsets = nullptr;
        off_t step = 0;
        size_t fill = 0;
        if (m_frames > 0 && mpg123_index(m_handle, &offsets, &step, &fill) == MPG123_OK
            && fill > 0) {
            Mp3SeekIndex index;
            index.fileSize = fileSize;
            index.frames = m_frames;
            index.step = step;
            index.offsets.assign(offsets, offsets + fill);
            m_scannedIndex = index.toBytes();
        }
        if (mpg123_seek(m_handle, 0, SEEK_SET) != 0)
            refuse(path, decoderText());
    }

    // What libmpg123 reads: it outlives the handle.
    ReadWindow m_window;
    std::unique_ptr<mpg123_handle, decltype(&mpg123_delete)> m_owner;
    mpg123_handle* m_handle;
    // The frame the next read returns; -1 after a failed seek.
    qint64 m_at = 0;
    // Seeking uses an index handed in, not one of libmpg123's own making.
    bool m_storedIndex = false;
};

} // namespace

std::unique_ptr<AudioDecoder> AudioDecoder::open(const QString& path, const QByteArray& knownIndex)
{
    std::unique_ptr<AudioDecoder> decoder;
    auto file = std::make_unique<QFile>(path);
    // Unbuffered: the MP3 decoder reads through a window of its own.
    if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        refuse(path, file->errorString());
    if (file->size() == 0)
        refuse(path, {});
    if (isSndFileContainer(file->read(4))) {
        file.reset();
        decoder = std::make_unique<SndFileDecoder>(path);
    } else {
        decoder = std::make_unique<Mpg123Decoder>(path, std::move(file), knownIndex);
    }
    if (decoder->channels() < 1 || decoder->channels() > 8 || decoder->sampleRate() < 1000
        || decoder->sampleRate() > 768'000 || decoder->frames() <= 0)
        throw EcolvarError(openErrorText(path, u"it holds no audio that can be played"_s,
            u"%1 frames, %2 channels, %3 Hz"_s.arg(decoder->frames())
                .arg(decoder->channels())
                .arg(decoder->sampleRate())));
    return decoder;
}

int audioFileLengthMs(const QString& path)
{
    try {
        const std::unique_ptr<AudioDecoder> decoder = AudioDecoder::open(path);
        if (decoder->sampleRate() <= 0 || decoder->frames() <= 0)
            return 0;
        return int(std::min<qint64>(
            std::numeric_limits<int>::max(), decoder->frames() * 1000 / decoder->sampleRate()));
    } catch (const EcolvarError&) {
        return 0;
    }
}

} // namespace ecolvar
