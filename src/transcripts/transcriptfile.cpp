#include "transcripts/transcriptfile.h"

#include "transcripts/stylestream.h"
#include "transcripts/textcodec.h"

#include "core/commonprocs.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

// Record kinds that are not items.
constexpr int kVersionRecord = -8;
constexpr int kStyleBlockRecord = -9;
constexpr int kCheckpointRecord = -2;

// Block kinds of the style blocks.
constexpr int kTextStyleBlock = 1;
constexpr int kParaStyleBlock = 2;
constexpr int kListStyleBlock = 4;

// Save types of a record's data lines.
constexpr int kSaveText = 0;
constexpr int kSaveBinary = 2;
constexpr int kSaveHex = 3;

constexpr char16_t kParagraphSeparator = 0x2029;

bool isItemRecord(int kind)
{
    switch (kind) {
    case rvrkBreak:
    case rvrkPicture:
    case rvrkHotspot:
    case rvrkControl:
    case rvrkBullet:
    case rvrkHotPicture:
    case rvrkListMarker:
    case rvrkTab:
    case rvrkTable:
        return true;
    default:
        return false;
    }
}

// Line ends and NUL would end an ordinary data line or a header line early.
bool hasLineEnd(QStringView text)
{
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

// Text that an ordinary (GBK) data line cannot carry.
bool needsUnicode(QStringView text)
{
    return hasLineEnd(text) || !toGbk(text);
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The bytes of a hexadecimal line: empty for an odd number of digits; decoding stops at the
// first pair that is not hexadecimal.
QByteArray fromHexLine(QByteArrayView line)
{
    QByteArray bytes;
    if (line.size() % 2 != 0)
        return bytes;
    bytes.reserve(line.size() / 2);
    for (qsizetype i = 0; i < line.size(); i += 2) {
        const int high = hexDigit(line[i]);
        const int low = hexDigit(line[i + 1]);
        if (high < 0 || low < 0)
            break;
        bytes.append(char(high * 16 + low));
    }
    return bytes;
}

// The fields of a header line, separated by single spaces; quoted fields may hold spaces.
class Fields {
public:
    explicit Fields(QByteArrayView line) : m_line(line) { }

    bool atEnd() const { return m_pos >= m_line.size(); }
    bool atQuote() const { return !atEnd() && m_line[m_pos] == '"'; }
    QByteArrayView rest() const { return atEnd() ? QByteArrayView() : m_line.sliced(m_pos); }

    // The text up to the next space or the end of the line.
    QByteArrayView word()
    {
        qsizetype end = m_line.indexOf(' ', m_pos);
        if (end < 0)
            end = m_line.size();
        const QByteArrayView w = m_line.sliced(m_pos, end - m_pos);
        m_pos = end < m_line.size() ? end + 1 : end;
        return w;
    }

    bool number(int& value)
    {
        if (atEnd())
            return false;
        const QByteArrayView w = word();
        const auto [ptr, ec] = std::from_chars(w.data(), w.data() + w.size(), value);
        return !w.isEmpty() && ec == std::errc() && ptr == w.data() + w.size();
    }

    // A field in double quotes, inner quotes doubled; a single space after it is skipped.
    bool quoted(QByteArray& text)
    {
        if (!atQuote())
            return false;
        text.clear();
        qsizetype pos = m_pos + 1;
        for (;;) {
            const qsizetype quote = m_line.indexOf('"', pos);
            if (quote < 0)
                return false;
            text.append(m_line.sliced(pos, quote - pos));
            if (quote + 1 < m_line.size() && m_line[quote + 1] == '"') {
                text.append('"');
                pos = quote + 2;
                continue;
            }
            m_pos = quote + 1;
            if (m_pos < m_line.size() && m_line[m_pos] == ' ')
                ++m_pos;
            return true;
        }
    }

private:
    QByteArrayView m_line;
    qsizetype m_pos = 0;
};

struct Header {
    int kind = 0;
    int lineCount = 0;
    int para = 0;
    int options = 0;
    int saveType = 0;
    std::optional<QString> tag;
    QByteArrayView rest;
};

class Reader {
public:
    Reader(QByteArrayView data, RVDocument& doc, TRVStyle& style)
        : m_begin(data.data()), m_p(data.data()), m_end(data.data() + data.size()),
          m_maxItems(65536 + data.size() / 32), m_doc(doc), m_style(style)
    {
    }

    bool run()
    {
        while (m_p != m_end) {
            if (!readRecord())
                return false;
        }
        if (m_checkpoint)
            m_doc.TrailingCheckpoint = std::move(m_checkpoint);
        return true;
    }

    const QString& error() const { return m_error; }

private:
    enum class Line { Ok, End, Nul };

    bool fail(const QString& what)
    {
        m_error = u"%1 (record at byte %2)"_s.arg(what).arg(m_recordStart - m_begin);
        return false;
    }

    // An ordinary line: it ends at CR, LF or the end of the data, then one CR and one LF are
    // skipped. A NUL byte inside a line is refused.
    Line readLine(QByteArrayView& line, bool* crlf = nullptr)
    {
        if (m_p == m_end)
            return Line::End;
        const char* q = m_p;
        while (q != m_end && *q != '\r' && *q != '\n' && *q != '\0')
            ++q;
        if (q != m_end && *q == '\0')
            return Line::Nul;
        line = QByteArrayView(m_p, q - m_p);
        const bool cr = q != m_end && *q == '\r';
        if (cr)
            ++q;
        const bool lf = q != m_end && *q == '\n';
        if (lf)
            ++q;
        if (crlf)
            *crlf = cr && lf;
        m_p = q;
        return Line::Ok;
    }

    bool dataLine(QByteArrayView& line, bool* crlf = nullptr)
    {
        switch (readLine(line, crlf)) {
        case Line::Ok:
            return true;
        case Line::End:
            return fail(u"the data ends inside a record"_s);
        case Line::Nul:
            return fail(u"a NUL byte inside a line"_s);
        }
        return false;
    }

    // A line of UTF-16 little-endian code units ended by U+2029 (or the end of the data).
    bool utf16Line(QString& text)
    {
        if (m_p == m_end)
            return fail(u"the data ends inside a record"_s);
        const char* q = m_p;
        while (m_end - q >= 2 && !(q[0] == 0x29 && q[1] == 0x20))
            q += 2;
        text = fromUtf16Le(QByteArrayView(m_p, q - m_p));
        m_p = m_end - q >= 2 ? q + 2 : m_end;
        return true;
    }

    bool binaryBlock(QByteArrayView& block)
    {
        if (m_end - m_p < 4)
            return fail(u"a binary block is truncated"_s);
        const quint32 length = quint32(quint8(m_p[0])) | quint32(quint8(m_p[1])) << 8
            | quint32(quint8(m_p[2])) << 16 | quint32(quint8(m_p[3])) << 24;
        m_p += 4;
        if (length > quint64(m_end - m_p))
            return fail(u"a binary block is longer than the rest of the file"_s);
        block = QByteArrayView(m_p, qsizetype(length));
        m_p += length;
        return true;
    }

    // The data lines of a record that are kept or skipped whole: with save type 2 the last one
    // is a binary block, which must follow a line ended by CR LF.
    bool skipDataLines(const Header& h, bool headerCrlf)
    {
        const bool binary = h.saveType == kSaveBinary && h.lineCount > 0;
        bool crlf = headerCrlf;
        QByteArrayView line;
        for (int i = binary ? 1 : 0; i < h.lineCount; ++i) {
            if (!dataLine(line, &crlf))
                return false;
        }
        if (binary) {
            if (!crlf)
                return fail(u"the line before a binary block does not end in CR LF"_s);
            return binaryBlock(line);
        }
        return true;
    }

    bool readRecord()
    {
        m_recordStart = m_p;
        QByteArrayView line;
        bool crlf = false;
        if (readLine(line, &crlf) == Line::Nul)
            return fail(u"a NUL byte inside a line"_s);
        Header h;
        if (!parseHeader(line, h))
            return false;
        if (h.kind == kVersionRecord)
            return true;
        if (h.kind >= 0)
            return readTextRecord(h);
        if (h.kind == kStyleBlockRecord)
            return readStyleBlock(h, crlf);
        if (h.kind == kCheckpointRecord)
            return readCheckpoint(h);
        if (isItemRecord(h.kind))
            return readItemRecord(h, crlf);
        return skipDataLines(h, crlf); // unknown kinds, and the background
    }

    // A style name in double quotes stands for the number of the style of that name, 0 when
    // there is none.
    template <class Style> bool styleField(Fields& f, const QList<Style>& styles, int& number)
    {
        if (!f.atQuote())
            return f.number(number);
        QByteArray quoted;
        if (!f.quoted(quoted))
            return false;
        const QString name = fromGbk(quoted);
        number = 0;
        for (qsizetype i = 0; i < styles.size(); ++i) {
            if (styles[i].StyleName == name) {
                number = int(i);
                break;
            }
        }
        return true;
    }

    bool parseHeader(QByteArrayView line, Header& h)
    {
        Fields f(line);
        if (!styleField(f, m_style.TextStyles, h.kind))
            return fail(u"the record kind is missing or not a number"_s);
        if (h.kind == kVersionRecord) {
            if (!f.number(m_version) || !f.number(m_subversion))
                return fail(u"the version record is malformed"_s);
            return true;
        }
        if (!f.number(h.lineCount) || h.lineCount < 0)
            return fail(u"the line count is missing or malformed"_s);
        if (!styleField(f, m_style.ParaStyles, h.para))
            return fail(u"the paragraph field is missing or malformed"_s);
        if (m_version >= 1 && m_subversion >= 2) {
            if (!f.number(h.options) || h.options < 0 || h.options > 255)
                return fail(u"the options field is missing or malformed"_s);
        }
        if (!f.number(h.saveType))
            return fail(u"the save type is missing or malformed"_s);
        if (f.atEnd())
            return fail(u"the tag field is missing"_s);
        if (f.atQuote() && (m_version > 1 || m_subversion > 2)) {
            QByteArray tag;
            if (!f.quoted(tag))
                return fail(u"a quoted tag has no closing quote"_s);
            h.tag = fromGbk(tag);
        } else {
            const QByteArrayView word = f.word();
            if (word != "0")
                h.tag = fromGbk(word);
        }
        h.rest = f.rest();
        return true;
    }

    bool checkParagraph(int para)
    {
        if (para == -1 || (para >= 0 && para < m_style.ParaStyles.size()))
            return true;
        return fail(u"paragraph style %1 is not defined"_s.arg(para));
    }

    // Puts the item into its paragraph and attaches a pending checkpoint. Fails beyond the
    // items the data's size allows, which keeps memory a small multiple of the file.
    bool place(RVItem&& item, int para)
    {
        if (m_doc.Items.size() >= m_maxItems)
            return fail(
                u"more items than a transcript of %1 bytes can hold"_s.arg(m_end - m_begin));
        item.ParaNo = para;
        if (para == -1 && (m_doc.Items.isEmpty() || m_doc.Items.last().occupiesWholeLine())) {
            item.ParaNo = 0;
            item.Options &= ~rvioSameAsPrev;
        }
        if (m_checkpoint) {
            item.Checkpoint = std::make_shared<const RVCheckpoint>(std::move(*m_checkpoint));
            m_checkpoint.reset();
        }
        m_doc.Items.append(std::move(item));
        return true;
    }

    bool readTextRecord(const Header& h)
    {
        if (h.kind >= m_style.TextStyles.size())
            return fail(u"text style %1 is not defined"_s.arg(h.kind));
        if (!checkParagraph(h.para))
            return false;
        QString hint;
        Fields rest(h.rest);
        QByteArray quoted;
        if (rest.quoted(quoted))
            hint = fromGbk(quoted);
        const bool unicode = h.options & rvioUnicode;
        const bool styleUnicode = m_style.TextStyles[h.kind].Unicode;
        for (int i = 0; i < h.lineCount; ++i) {
            RVItem item;
            if (unicode && h.saveType != kSaveHex) {
                if (!utf16Line(item.Text))
                    return false;
            } else {
                QByteArrayView line;
                if (!dataLine(line))
                    return false;
                if (h.saveType == kSaveHex) {
                    const QByteArray bytes = fromHexLine(line);
                    item.Text = unicode ? fromUtf16Le(bytes) : fromGbk(bytes);
                } else {
                    item.Text = fromGbk(line);
                }
            }
            item.StyleNo = h.kind;
            item.Options = quint8(h.options);
            // The Unicode bit follows the text style, except that text GBK cannot hold stays
            // Unicode rather than losing characters.
            if (styleUnicode)
                item.Options |= rvioUnicode;
            else if (unicode && !needsUnicode(item.Text))
                item.Options &= ~rvioUnicode;
            item.Tag = h.tag;
            item.Hint = hint;
            if (!place(std::move(item), h.para))
                return false;
        }
        return true;
    }

    bool readStyleBlock(const Header& h, bool headerCrlf)
    {
        Fields rest(h.rest);
        int blockKind = 0;
        if (!rest.number(blockKind))
            return fail(u"the block kind of a style block is missing or malformed"_s);
        if (h.lineCount < 2)
            return fail(u"a style block lacks its name or data line"_s);
        QByteArrayView line;
        bool crlf = headerCrlf;
        for (int i = 1; i < h.lineCount; ++i) {
            if (!dataLine(line, &crlf))
                return false;
        }
        QByteArray block;
        if (h.saveType == kSaveBinary) {
            if (!crlf)
                return fail(u"the line before a binary block does not end in CR LF"_s);
            QByteArrayView bytes;
            if (!binaryBlock(bytes))
                return false;
            block = bytes.toByteArray();
        } else {
            if (!dataLine(line))
                return false;
            block = fromHexLine(line);
        }
        if (blockKind != kTextStyleBlock && blockKind != kParaStyleBlock
            && blockKind != kListStyleBlock)
            return true;
        if (block.isEmpty())
            return true;
        if (quint8(block[0]) != 14)
            return fail(u"a style block does not start with the byte 14"_s);
        QString error;
        bool ok = true;
        if (blockKind == kTextStyleBlock)
            ok = replaceIfAny(block, m_style.TextStyles, error);
        else if (blockKind == kParaStyleBlock)
            ok = replaceIfAny(block, m_style.ParaStyles, error);
        else
            ok = replaceIfAny(block, m_style.ListStyles, error);
        return ok || fail(u"a style block is malformed: "_s + error);
    }

    template <class Style>
    static bool replaceIfAny(QByteArrayView block, QList<Style>& styles, QString& error)
    {
        QList<Style> decoded;
        if (!decodeStyles(block, decoded, &error))
            return false;
        if (!decoded.isEmpty())
            styles = std::move(decoded);
        return true;
    }

    bool readCheckpoint(const Header& h)
    {
        RVCheckpoint checkpoint;
        checkpoint.Tag = h.tag;
        Fields rest(h.rest);
        int raiseEvent = 0;
        int persistent = 0;
        if ((!rest.atEnd() && !rest.number(raiseEvent))
            || (!rest.atEnd() && !rest.number(persistent)))
            return fail(u"the flags of a checkpoint are malformed"_s);
        checkpoint.RaiseEvent = raiseEvent != 0;
        checkpoint.Persistent = persistent != 0;
        QByteArrayView line;
        for (int i = 0; i < h.lineCount; ++i) {
            if (!dataLine(line))
                return false;
            if (i == 0)
                checkpoint.Name = fromGbk(line);
        }
        m_checkpoint = std::move(checkpoint);
        return true;
    }

    bool readItemRecord(const Header& h, bool headerCrlf)
    {
        if (!checkParagraph(h.para))
            return false;
        const char* dataStart = m_p;
        if (!skipDataLines(h, headerCrlf))
            return false;
        RVRecord record { h.saveType, h.lineCount, h.rest.toByteArray(),
            QByteArray(dataStart, m_p - dataStart) };
        // A last line that ended with the file gets its line end, so records can follow it.
        const bool endsInBinary = h.saveType == kSaveBinary && h.lineCount > 0;
        if (!endsInBinary && !record.Data.isEmpty() && !record.Data.endsWith('\r')
            && !record.Data.endsWith('\n'))
            record.Data.append("\r\n");
        RVItem item;
        item.Kind = h.kind;
        item.Options = quint8(h.options);
        item.Tag = h.tag;
        item.Record = std::make_shared<const RVRecord>(std::move(record));
        return place(std::move(item), h.para);
    }

    const char* m_begin;
    const char* m_p;
    const char* m_end;
    const char* m_recordStart = nullptr;
    // An item takes about 128 bytes; a file needs 2 bytes for an empty one.
    qsizetype m_maxItems;
    RVDocument& m_doc;
    TRVStyle& m_style;
    int m_version = 1;
    int m_subversion = 0;
    std::optional<RVCheckpoint> m_checkpoint;
    QString m_error;
};

class Writer {
public:
    explicit Writer(const TRVStyle& style) : m_style(style) { }

    // The items are written as they come; an empty document is an empty file.
    bool run(const RVItemSource& items)
    {
        bool started = false;
        bool ok = true;
        items.forEach([&](const RVItem& item) {
            ok = (started || (started = start(items.textSize()))) && add(item);
            return ok;
        });
        if (!ok || !started)
            return ok;
        const std::optional<RVCheckpoint> last = items.trailingCheckpoint();
        return flush() && writeCheckpoint(last ? &*last : nullptr);
    }

    QByteArray& output() { return m_out; }
    const QString& error() const { return m_error; }

private:
    bool start(qsizetype textSize)
    {
        m_out.reserve(1024 + textSize * 5 / 4);
        m_out.append("-8 1 3\r\n");
        return writeStyleBlock(kTextStyleBlock, encodeStyles(m_style.TextStyles))
            && writeStyleBlock(kParaStyleBlock, encodeStyles(m_style.ParaStyles))
            && writeStyleBlock(kListStyleBlock, encodeStyles(m_style.ListStyles));
    }

    bool add(const RVItem& item)
    {
        if (!checkStyles(item))
            return false;
        if (!item.isText())
            return flush() && writeCheckpoint(item.Checkpoint.get()) && writeRecord(item);
        Encoded text = encode(item);
        if (!(m_count > 0 && joins(item, text))) {
            if (!flush())
                return false;
            m_first = item;
            m_options = text.options;
        }
        ++m_count;
        m_hex = m_hex || text.hex;
        m_lines.append(std::move(text.bytes));
        return true;
    }

    struct Encoded {
        QByteArray bytes; // GBK, or UTF-16 little-endian for a Unicode item
        quint8 options;
        bool hex; // only a hexadecimal line can carry U+2029 in a Unicode item
    };

    bool fail(const QString& what)
    {
        m_error = what;
        return false;
    }

    // A file that names a style its style blocks lack would not load again.
    bool checkStyles(const RVItem& item)
    {
        if (item.isText() && (item.StyleNo < 0 || item.StyleNo >= m_style.TextStyles.size()))
            return fail(u"text style %1 is not defined"_s.arg(item.StyleNo));
        if (item.ParaNo >= m_style.ParaStyles.size())
            return fail(u"paragraph style %1 is not defined"_s.arg(item.ParaNo));
        return true;
    }

    Encoded encode(const RVItem& item) const
    {
        const quint8 options = item.Options & ~rvioUnicode;
        if (!m_style.TextStyles[item.StyleNo].Unicode && !hasLineEnd(item.Text)) {
            if (std::optional<QByteArray> gbk = toGbk(item.Text))
                return { std::move(*gbk), options, false };
        }
        return { toUtf16Le(item.Text), quint8(options | rvioUnicode),
            item.Text.contains(QChar(kParagraphSeparator)) };
    }

    // Whether the item can be one more line of the pending record: only whole paragraphs of the
    // same look, options, tag and hint, without a checkpoint of their own, are joined.
    bool joins(const RVItem& item, const Encoded& text) const
    {
        const RVItem& first = m_first;
        return !item.continuesParagraph() && !(item.Options & rvioSameAsPrev)
            && !first.continuesParagraph() && item.StyleNo == first.StyleNo
            && item.ParaNo == first.ParaNo && text.options == m_options && item.Tag == first.Tag
            && item.Hint == first.Hint && !item.Checkpoint;
    }

    bool appendQuoted(const QString& text, const QString& what)
    {
        if (hasLineEnd(text))
            return fail(u"%1 holds a line break: \"%2\""_s.arg(what, text));
        const std::optional<QByteArray> bytes = toGbk(text);
        if (!bytes)
            return fail(u"%1 holds a character that GBK cannot hold: \"%2\""_s.arg(what, text));
        m_out.append('"');
        for (char c : *bytes) {
            if (c == '"')
                m_out.append('"');
            m_out.append(c);
        }
        m_out.append('"');
        return true;
    }

    bool appendTag(const std::optional<QString>& tag)
    {
        if (!tag || tag->isEmpty()) {
            m_out.append('0');
            return true;
        }
        return appendQuoted(*tag, u"a tag"_s);
    }

    void appendNumbers(std::initializer_list<int> numbers)
    {
        for (int n : numbers) {
            m_out.append(QByteArray::number(n));
            m_out.append(' ');
        }
    }

    bool writeStyleBlock(int blockKind, const QByteArray& stream)
    {
        m_out.append("-9 2 0 0 2 0 ");
        m_out.append(QByteArray::number(blockKind));
        m_out.append("\r\n");
        const std::optional<QByteArray> name = toGbk(m_style.Name);
        if (!name || hasLineEnd(m_style.Name))
            return fail(u"the style sheet's name cannot be written: \"%1\""_s.arg(m_style.Name));
        m_out.append(*name);
        m_out.append("\r\n");
        const quint32 length = quint32(stream.size());
        for (int shift = 0; shift < 32; shift += 8)
            m_out.append(char(quint8(length >> shift)));
        m_out.append(stream);
        return true;
    }

    bool writeCheckpoint(const RVCheckpoint* checkpoint)
    {
        if (!checkpoint)
            return true;
        appendNumbers({ kCheckpointRecord, 1, 0, 0, kSaveText });
        if (!appendTag(checkpoint->Tag))
            return false;
        m_out.append(checkpoint->RaiseEvent ? " 1" : " 0");
        m_out.append(checkpoint->Persistent ? " 1\r\n" : " 0\r\n");
        const std::optional<QByteArray> name = toGbk(checkpoint->Name);
        if (!name || hasLineEnd(checkpoint->Name))
            return fail(u"a checkpoint's name cannot be written: \"%1\""_s.arg(checkpoint->Name));
        m_out.append(*name);
        m_out.append("\r\n");
        return true;
    }

    bool flush()
    {
        if (m_count == 0)
            return true;
        const RVItem& first = m_first;
        if (!writeCheckpoint(first.Checkpoint.get()))
            return false;
        appendNumbers({ first.StyleNo, int(m_count), first.continuesParagraph() ? -1 : first.ParaNo,
            m_options, m_hex ? kSaveHex : kSaveText });
        if (!appendTag(first.Tag))
            return false;
        if (!first.Hint.isEmpty()) {
            m_out.append(' ');
            if (!appendQuoted(first.Hint, u"a hint"_s))
                return false;
        }
        m_out.append("\r\n");
        const bool unicode = m_options & rvioUnicode;
        for (const QByteArray& line : m_lines) {
            if (m_hex) {
                m_out.append(line.toHex().toUpper());
                m_out.append("\r\n");
            } else {
                m_out.append(line);
                m_out.append(unicode ? QByteArrayView("\x29\x20") : QByteArrayView("\r\n"));
            }
        }
        m_count = 0;
        m_hex = false;
        m_lines.clear();
        return true;
    }

    bool writeRecord(const RVItem& item)
    {
        static const RVRecord none;
        const RVRecord& record = item.Record ? *item.Record : none;
        appendNumbers({ item.Kind, record.LineCount, item.continuesParagraph() ? -1 : item.ParaNo,
            item.Options, record.SaveType });
        if (!appendTag(item.Tag))
            return false;
        if (!record.Extra.isEmpty()) {
            m_out.append(' ');
            m_out.append(record.Extra);
        }
        m_out.append("\r\n");
        m_out.append(record.Data);
        return true;
    }

    const TRVStyle& m_style;
    QByteArray m_out;
    QString m_error;
    // The pending text record: its first item, its line count, options and lines.
    RVItem m_first;
    qsizetype m_count = 0;
    quint8 m_options = 0;
    bool m_hex = false;
    QList<QByteArray> m_lines;
};

} // namespace

bool readTranscript(QByteArrayView data, RVDocument& doc, TRVStyle& style, QString* error)
{
    doc.clear();
    Reader reader(data, doc, style);
    const bool ok = reader.run();
    if (!ok && error)
        *error = reader.error();
    return ok;
}

std::optional<QByteArray> writeTranscript(
    const RVDocument& doc, const TRVStyle& style, QString* error)
{
    return writeTranscript(RVDocumentItems(doc), style, error);
}

std::optional<QByteArray> writeTranscript(
    const RVItemSource& items, const TRVStyle& style, QString* error)
{
    Writer writer(style);
    if (!writer.run(items)) {
        if (error)
            *error = writer.error();
        return std::nullopt;
    }
    return std::move(writer.output());
}

std::optional<QByteArray> ReadTranscriptBytes(const QString& path, QString* error)
{
    const auto failed = [&](const QString& what) {
        if (error)
            *error = what;
        return std::nullopt;
    };
    // Checked before opening: opening a pipe blocks until another program writes to it, and a
    // device may never end.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return failed(u"cannot read \"%1\": it is not a regular file"_s.arg(path));
    if (info.size() > MaxTranscriptBytes)
        return failed(u"cannot read \"%1\": it is larger than %2 MiB, the largest transcript"
                      u" this program reads"_s.arg(path)
                          .arg(MaxTranscriptBytes >> 20));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(u"cannot open \"%1\": %2"_s.arg(path, file.errorString()));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed(u"cannot read \"%1\": %2"_s.arg(path, file.errorString()));
    if (data.size() > MaxTranscriptBytes)
        return failed(u"cannot read \"%1\": it grew while it was read"_s.arg(path));
    return data;
}

bool LoadDocumentFile(const QString& path, RVDocument& doc, TRVStyle& style, QString* error)
{
    const std::optional<QByteArray> data = ReadTranscriptBytes(path, error);
    return data && readTranscript(*data, doc, style, error);
}

bool SaveDocumentFile(
    const QString& path, const RVDocument& doc, const TRVStyle& style, QString* error)
{
    const std::optional<QByteArray> bytes = writeTranscript(doc, style, error);
    if (!bytes)
        return false;
    if (const std::optional<QString> failure = SaveFileAtomically(path, *bytes)) {
        if (error)
            *error = u"cannot write \"%1\": %2"_s.arg(path, *failure);
        return false;
    }
    return true;
}

QString TranscriptFormat::mimeType() const
{
    return QString::fromLatin1(TranscriptMimeType);
}

bool TranscriptFormat::read(
    QByteArrayView data, RVDocument& doc, TRVStyle& style, QString* error) const
{
    return readTranscript(data, doc, style, error);
}

std::optional<QByteArray> TranscriptFormat::write(
    const RVItemSource& items, const TRVStyle& style, QString* error) const
{
    return writeTranscript(items, style, error);
}

std::shared_ptr<const RVDocumentFormat> transcriptFormat()
{
    static const auto format = std::make_shared<const TranscriptFormat>();
    return format;
}

} // namespace ecolvar
