#include "openrequest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

// How many refused files the message names; the rest are counted.
constexpr qsizetype namedInMessage = 10;
// How far into an MP3 the first frame is looked for (some begin with padding or a stray tag).
constexpr qint64 syncWindow = 4096;

// The containers the sound-file decoder reads, by their first bytes.
bool isSoundFileContainer(const QByteArray& head)
{
    static const char* const magics[]
        = { "RIFF", "RIFX", "RF64", "FORM", "fLaC", "OggS", ".snd", "caff", "wvpk" };
    return std::any_of(std::begin(magics), std::end(magics),
        [&](const char* magic) { return head.startsWith(magic); });
}

// Whether an MPEG audio frame header begins at head[at]: the sync bits, a version and a layer.
bool isFrameHeader(const QByteArray& head, qsizetype at)
{
    if (at + 1 >= head.size())
        return false;
    const auto first = static_cast<unsigned char>(head[at]);
    const auto second = static_cast<unsigned char>(head[at + 1]);
    const bool sync = first == 0xFF && (second & 0xE0) == 0xE0;
    const bool version = (second & 0x18) != 0x08;
    const bool layer = (second & 0x06) != 0;
    return sync && version && layer;
}

// Whether the player's decoders take the file for audio, judged by its first bytes: a sound
// file container, an MP3 with a tag or a frame at the start, or a file named .mp3 with a frame
// near the start.
bool looksLikeAudio(const QString& path, const QByteArray& head)
{
    if (head.size() < 4)
        return false;
    if (isSoundFileContainer(head) || head.startsWith("ID3") || isFrameHeader(head, 0))
        return true;
    if (QFileInfo(path).suffix().compare(u"mp3"_s, Qt::CaseInsensitive) != 0)
        return false;
    for (qsizetype at = 0; at < head.size(); ++at) {
        if (isFrameHeader(head, at))
            return true;
    }
    return false;
}

bool isUrlArgument(const QString& argument)
{
    return argument.startsWith(u"file:"_s, Qt::CaseInsensitive) || argument.contains(u"://"_s);
}

QString reasonText(OpenRequest::Reason reason)
{
    switch (reason) {
    case OpenRequest::Reason::NotLocal:
        return u"不是本机上的文件"_s;
    case OpenRequest::Reason::Missing:
        return u"文件不存在"_s;
    case OpenRequest::Reason::NotAFile:
        return u"不是文件"_s;
    case OpenRequest::Reason::Unreadable:
        return u"无法读取"_s;
    case OpenRequest::Reason::NotAudio:
        return u"不是可以播放的音频文件（MP3、WAV 等）"_s;
    }
    return {};
}

} // namespace

OpenRequest OpenRequest::fromArguments(const QStringList& arguments, const QString& workingDir)
{
    OpenRequest request;
    const QDir base(workingDir);
    for (const QString& argument : arguments) {
        if (isUrlArgument(argument)) {
            const QUrl url(argument);
            if (url.isLocalFile())
                request.add(url.toLocalFile());
            else
                request.refuse(argument, Reason::NotLocal);
        } else {
            request.add(base.absoluteFilePath(argument));
        }
    }
    return request;
}

OpenRequest OpenRequest::fromUrls(const QList<QUrl>& urls)
{
    OpenRequest request;
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            request.add(url.toLocalFile());
        else
            request.refuse(url.toDisplayString(), Reason::NotLocal);
    }
    return request;
}

bool OpenRequest::mayDrop(const QList<QUrl>& urls)
{
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

void OpenRequest::add(const QString& path)
{
    const QString clean = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    const QString shown = QDir::toNativeSeparators(clean);
    const QFileInfo info(clean);
    if (!info.exists())
        return refuse(shown, Reason::Missing);
    if (!info.isFile())
        return refuse(shown, Reason::NotAFile);
    QFile file(clean);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(shown, Reason::Unreadable);
    if (!looksLikeAudio(clean, file.read(syncWindow)))
        return refuse(shown, Reason::NotAudio);
    if (!m_files.contains(clean))
        m_files.append(clean);
}

void OpenRequest::refuse(const QString& shown, Reason reason)
{
    const bool known = std::any_of(m_refused.begin(), m_refused.end(),
        [&](const Refused& refused) { return refused.shown == shown; });
    if (!known)
        m_refused.append({ shown, reason });
}

OpenRequest::Mode OpenRequest::mode() const
{
    if (m_files.isEmpty())
        return Mode::Nothing;
    return m_files.size() == 1 ? Mode::SingleFile : Mode::List;
}

QString OpenRequest::listName() const
{
    if (m_files.isEmpty())
        return {};
    const QString folder = QFileInfo(m_files.first()).absolutePath();
    const bool oneFolder = std::all_of(m_files.begin(), m_files.end(),
        [&](const QString& file) { return QFileInfo(file).absolutePath() == folder; });
    const QString folderName = QDir(folder).dirName();
    if (oneFolder && !folderName.isEmpty())
        return folderName;
    return u"%1 等 %2 个文件"_s.arg(QFileInfo(m_files.first()).baseName()).arg(m_files.size());
}

QString OpenRequest::message() const
{
    if (m_refused.isEmpty())
        return {};
    if (m_refused.size() == 1) {
        const Refused& only = m_refused.first();
        return u"无法打开“%1”：%2。"_s.arg(only.shown, reasonText(only.reason));
    }
    QString text = u"下列 %1 个文件无法打开："_s.arg(m_refused.size());
    for (qsizetype i = 0; i < m_refused.size() && i < namedInMessage; ++i)
        text += u"\n%1（%2）"_s.arg(m_refused[i].shown, reasonText(m_refused[i].reason));
    if (m_refused.size() > namedInMessage)
        text += u"\n……另有 %1 个文件。"_s.arg(m_refused.size() - namedInMessage);
    return text;
}

} // namespace ecolvar
