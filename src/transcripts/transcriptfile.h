#pragma once

#include "richtext/rvdocument.h"
#include "richtext/rvdocumentformat.h"
#include "richtext/rvstyle.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>

namespace ecolvar {

// The transcript file: a line-oriented record format in GBK. A version record, the style
// sheet's text, paragraph and list styles as three style blocks, then the document's items as
// text records (several one-line paragraphs of equal look joined into one record) and item
// records. An empty document is an empty file.

// Reads a transcript from data into doc, which is emptied first. Style blocks with at least one
// style replace the matching collection of style; a file without them keeps style's styles.
// Returns false at the first malformed record, with a message in *error; the items read before
// it stay in doc. Never trusts a length beyond the bytes that remain, and refuses more than
// 65 536 + data.size() / 32 items, so that memory stays a small multiple of the data.
bool readTranscript(
    QByteArrayView data, RVDocument& doc, TRVStyle& style, QString* error = nullptr);

// The bytes of doc in the transcript format, with style's collections in the style blocks.
// Text that GBK cannot hold is written as UTF-16 (a Unicode item) so nothing is lost. Returns
// nothing, with a message in *error, when a tag, hint or checkpoint holds a line break or a
// character GBK cannot hold: the header line cannot carry it.
std::optional<QByteArray> writeTranscript(
    const RVDocument& doc, const TRVStyle& style, QString* error = nullptr);
// The same for items handed out one by one (an editor's document, without a model of it).
std::optional<QByteArray> writeTranscript(
    const RVItemSource& items, const TRVStyle& style, QString* error = nullptr);

// The largest transcript read; a larger one is refused.
constexpr qint64 MaxTranscriptBytes = 64 << 20;

// The bytes of the transcript file at path, or nothing with a message in *error when it is no
// regular file (never opened then: a pipe would block), larger than MaxTranscriptBytes or
// cannot be read.
std::optional<QByteArray> ReadTranscriptBytes(const QString& path, QString* error = nullptr);

// Loads the file at path. When it cannot be read, returns false and leaves doc unchanged;
// otherwise as readTranscript.
bool LoadDocumentFile(
    const QString& path, RVDocument& doc, TRVStyle& style, QString* error = nullptr);

// Writes doc to the file at path atomically: on any failure the previous file stays as it was.
bool SaveDocumentFile(
    const QString& path, const RVDocument& doc, const TRVStyle& style, QString* error = nullptr);

// The private clipboard type that carries a selection in the transcript format.
inline constexpr char TranscriptMimeType[] = "application/x-ecolvar-transcript";

// The transcript format as an editor's document format: the transcript panes' editors load,
// save, copy and paste with it.
class TranscriptFormat : public RVDocumentFormat {
public:
    QString mimeType() const override;
    bool read(QByteArrayView data, RVDocument& doc, TRVStyle& style, QString* error) const override;
    std::optional<QByteArray> write(
        const RVItemSource& items, const TRVStyle& style, QString* error) const override;
};

// The one TranscriptFormat, for editors to share.
std::shared_ptr<const RVDocumentFormat> transcriptFormat();

} // namespace ecolvar
