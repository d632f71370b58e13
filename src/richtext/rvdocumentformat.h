#pragma once

#include "richtext/rvdocument.h"
#include "richtext/rvstyle.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace ecolvar {

// A document's items handed out one by one, in order, so that a writer needs no model of the
// whole document in memory.
class RVItemSource {
public:
    virtual ~RVItemSource() = default;
    // Calls visit for each item until it returns false; false when visit stopped it.
    virtual bool forEach(const std::function<bool(const RVItem&)>& visit) const = 0;
    virtual std::optional<RVCheckpoint> trailingCheckpoint() const = 0;
    // About how many characters the items hold, to size what is written.
    virtual qsizetype textSize() const = 0;
};

// The items of a model.
class RVDocumentItems : public RVItemSource {
public:
    explicit RVDocumentItems(const RVDocument& doc) : m_doc(doc) { }
    bool forEach(const std::function<bool(const RVItem&)>& visit) const override;
    std::optional<RVCheckpoint> trailingCheckpoint() const override
    {
        return m_doc.TrailingCheckpoint;
    }
    qsizetype textSize() const override;

private:
    const RVDocument& m_doc;
};

// How an editor's documents are stored: the file format of its loads and saves and of the
// selection it puts on the clipboard under a private type. Handed to the editor by the side
// that owns the format, so that the rich-text folder depends on nothing above it.
class RVDocumentFormat {
public:
    virtual ~RVDocumentFormat() = default;
    // The clipboard type of a selection in this format.
    virtual QString mimeType() const = 0;
    // Reads data into doc, which is emptied first; the style collections the data holds
    // replace style's. False at the first fault, with the items read before it kept in doc
    // and a message in *error.
    virtual bool read(
        QByteArrayView data, RVDocument& doc, TRVStyle& style, QString* error) const = 0;
    // The bytes of the items with style's collections; nothing, with a message in *error,
    // when they cannot be written.
    virtual std::optional<QByteArray> write(
        const RVItemSource& items, const TRVStyle& style, QString* error) const = 0;
};

} // namespace ecolvar
