#pragma once

#include "sentences.h"

#include <QByteArrayView>

#include <optional>

namespace ecolvar {

// The text of a lyrics or subtitle file: UTF-8 when it starts with the UTF-8 byte-order mark or
// is valid UTF-8 throughout, GBK otherwise.
QString decodeLyricsText(QByteArrayView bytes);

// Reads a lyrics file ([mm:ss.xx] stamps, several on a line, the [offset:ms] tag) for an audio
// file of lengthMs milliseconds (0: unknown). Each stamp starts a sentence with its line's text;
// stamps may come in any order, and those past the end of the audio are dropped. Nothing when
// the file holds no usable stamp.
std::optional<QList<Sentence>> readLrc(QByteArrayView bytes, int lengthMs);

// Reads a subtitle file (numbered cues "hh:mm:ss,mmm --> hh:mm:ss,mmm" followed by text lines,
// LF or CR LF). Each cue's start starts a sentence with the cue's lines as its text. Nothing when
// the file holds no usable cue.
std::optional<QList<Sentence>> readSrt(QByteArrayView bytes, int lengthMs);

} // namespace ecolvar
