#pragma once

#include "richtext/rvstyle.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonArray>
#include <QList>
#include <QString>

namespace ecolvar {

// The property stream of a style collection, as stored in the style blocks of a transcript
// file: the byte 14, then per style the byte 1, its properties (name, type byte, value; every
// property that still has its default left out), the byte 0, and a final 0.
// Style is TFontInfo, TParaInfo or TRVListInfo.
template <class Style> QByteArray encodeStyles(const QList<Style>& styles);

// Decodes a stream that encodeStyles (or another writer of the format) produced, starting with
// its byte 14, into a new collection. Properties the style class does not have and values that
// cannot be converted are skipped. A stream that ends early, a byte that is neither a known
// type nor a list marker where one is due, or nesting deeper than the reader allows makes it
// return false with a message in *error; styles is then left empty.
template <class Style>
bool decodeStyles(QByteArrayView data, QList<Style>& styles, QString* error = nullptr);

// The styles as JSON: per style an object of the properties that differ from their defaults
// (strings when not empty, collections when not empty), named as in the stream; integers and
// colours as numbers, enumerations as member names, sets as arrays of member names.
template <class Style> QJsonArray stylesToJson(const QList<Style>& styles);

} // namespace ecolvar
