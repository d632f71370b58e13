#include "richtext/rvdocument.h"

#include "richtext/rvdocumentformat.h"

namespace ecolvar {

namespace {

template <class T>
bool sameValue(const std::shared_ptr<const T>& a, const std::shared_ptr<const T>& b)
{
    return a == b || (a && b && *a == *b);
}

} // namespace

bool RVItem::operator==(const RVItem& other) const
{
    return Kind == other.Kind && StyleNo == other.StyleNo && ParaNo == other.ParaNo
        && Options == other.Options && Tag == other.Tag && Hint == other.Hint && Text == other.Text
        && sameValue(Checkpoint, other.Checkpoint) && sameValue(Record, other.Record);
}

RVItem RVItem::text(const QString& text, int styleNo, int paraNo, std::optional<QString> tag)
{
    RVItem item;
    item.StyleNo = styleNo;
    item.ParaNo = paraNo;
    item.Options = paraNo < 0 ? rvioSameAsPrev : 0;
    item.Tag = std::move(tag);
    item.Text = text;
    return item;
}

void RVDocument::clear()
{
    Items.clear();
    TrailingCheckpoint.reset();
}

int RVDocument::paragraphStyleAt(qsizetype index) const
{
    for (qsizetype i = qMin(index, Items.size() - 1); i >= 0; --i) {
        if (!Items[i].continuesParagraph())
            return Items[i].ParaNo;
    }
    return 0;
}

bool RVDocumentItems::forEach(const std::function<bool(const RVItem&)>& visit) const
{
    for (const RVItem& item : m_doc.Items) {
        if (!visit(item))
            return false;
    }
    return true;
}

qsizetype RVDocumentItems::textSize() const
{
    qsizetype size = 0;
    for (const RVItem& item : m_doc.Items)
        size += item.Text.size() + (item.Record ? item.Record->Data.size() : 0);
    return size;
}

} // namespace ecolvar
