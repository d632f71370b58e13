// ecolvar-transcript: shows and rewrites transcript files from the command line.
//   dump FILE      the loaded document as JSON
//   text FILE      the plain text, one line per paragraph
//   resave IN OUT  loads IN into the English pane's style sheet and writes OUT
//   resave --editor IN OUT
//                  the same through the editor: loads IN into an offscreen TRichTextEdit with
//                  the English pane's style sheet, lays it out and saves it from there; a file
//                  larger than a pane opens is refused
// Exit status: 0 when the load succeeded, 1 when it failed, 2 for a usage error, a file that
// cannot be read or written (no regular file, too large) or a lack of memory.

#include "richtext/trichtextedit.h"
#include "transcripts/stylestream.h"
#include "transcripts/transcriptfile.h"
#include "transcripts/transcriptpanes.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <new>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

constexpr int kLoaded = 0;
constexpr int kLoadFailed = 1;
constexpr int kUsageOrFile = 2;

void print(FILE* stream, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void printError(const QString& message)
{
    print(stderr, u"ecolvar-transcript: %1\n"_s.arg(message).toUtf8());
}

int usage()
{
    print(stderr,
        "usage: ecolvar-transcript dump FILE\n"
        "       ecolvar-transcript text FILE\n"
        "       ecolvar-transcript resave IN OUT\n"
        "       ecolvar-transcript resave --editor IN OUT\n");
    return kUsageOrFile;
}

struct Loaded {
    RVDocument doc;
    TRVStyle style = englishPaneStyle();
    bool ok = false;
    QString error;
};

// Reads the file; nothing when it cannot be read (the message is printed).
std::optional<Loaded> load(const QString& path)
{
    QString error;
    const std::optional<QByteArray> data = ReadTranscriptBytes(path, &error);
    if (!data) {
        printError(error);
        return std::nullopt;
    }
    Loaded loaded;
    loaded.ok = readTranscript(*data, loaded.doc, loaded.style, &loaded.error);
    return loaded;
}

QJsonValue optionalString(const std::optional<QString>& s)
{
    return s ? QJsonValue(*s) : QJsonValue(QJsonValue::Null);
}

QJsonObject itemJson(const RVItem& item)
{
    if (!item.isText())
        return { { u"kind"_s, u"record"_s }, { u"type"_s, item.Kind } };
    return {
        { u"kind"_s, u"text"_s },
        { u"style"_s, item.StyleNo },
        { u"para"_s, item.continuesParagraph() ? -1 : item.ParaNo },
        { u"options"_s, item.Options },
        { u"tag"_s, optionalString(item.Tag) },
        { u"hint"_s, item.Hint },
        { u"text"_s, item.Text },
    };
}

int dump(const Loaded& loaded)
{
    QJsonArray items;
    for (const RVItem& item : loaded.doc.Items)
        items.append(itemJson(item));
    const QJsonObject root {
        { u"ok"_s, loaded.ok },
        { u"error"_s, loaded.ok ? QJsonValue(QJsonValue::Null) : QJsonValue(loaded.error) },
        { u"textStyles"_s, stylesToJson(loaded.style.TextStyles) },
        { u"paraStyles"_s, stylesToJson(loaded.style.ParaStyles) },
        { u"listStyles"_s, stylesToJson(loaded.style.ListStyles) },
        { u"items"_s, items },
    };
    print(stdout, QJsonDocument(root).toJson(QJsonDocument::Indented));
    return loaded.ok ? kLoaded : kLoadFailed;
}

int text(const Loaded& loaded)
{
    QString out;
    const QList<RVItem>& items = loaded.doc.Items;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const RVItem& item = items[i];
        if (i > 0 && !item.continuesParagraph())
            out.append(item.Options & rvioBR ? QChar(0x2028) : QChar(u'\n'));
        if (item.isText())
            out.append(item.Text);
    }
    if (!items.isEmpty())
        out.append(u'\n');
    print(stdout, out.toUtf8());
    if (!loaded.ok)
        printError(loaded.error);
    return loaded.ok ? kLoaded : kLoadFailed;
}

int resave(const Loaded& loaded, const QString& out)
{
    if (!loaded.ok) {
        printError(loaded.error + u"; nothing written"_s);
        return kLoadFailed;
    }
    QString error;
    if (!SaveDocumentFile(out, loaded.doc, loaded.style, &error)) {
        printError(error);
        return kUsageOrFile;
    }
    return kLoaded;
}

int resaveThroughEditor(int argc, char* argv[], const QString& in, const QString& out)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (QFile file(in); !file.open(QIODevice::ReadOnly)) {
        printError(u"cannot open \"%1\": %2"_s.arg(in, file.errorString()));
        return kUsageOrFile;
    }
    // As in a pane: a file larger than a pane opens is refused.
    if (const qint64 size = QFileInfo(in).size(); size > MaxPaneTranscriptBytes) {
        printError(u"\"%1\" has %2 bytes, more than the %3 that a transcript pane opens"_s.arg(in)
                       .arg(size)
                       .arg(MaxPaneTranscriptBytes));
        return kUsageOrFile;
    }
    TRichTextEdit editor(englishPaneStyle());
    editor.setDocumentFormat(transcriptFormat());
    editor.resize(800, 600);
    if (!editor.LoadDocumentFile(in)) {
        printError(editor.lastError() + u"; nothing written"_s);
        return kLoadFailed;
    }
    editor.FormatDocument();
    editor.finishLayout();
    if (!editor.SaveDocumentFile(out)) {
        printError(editor.lastError());
        return kUsageOrFile;
    }
    return kLoaded;
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const bool dumpOrText = args.size() == 2 && (args[0] == "dump"_L1 || args[0] == "text"_L1);
    if (args.size() == 4 && args[0] == "resave"_L1 && args[1] == "--editor"_L1)
        return resaveThroughEditor(argc, argv, args[2], args[3]);
    const bool isResave = args.size() == 3 && args[0] == "resave"_L1;
    if (!dumpOrText && !isResave)
        return usage();
    try {
        const std::optional<Loaded> loaded = load(args[1]);
        if (!loaded)
            return kUsageOrFile;
        if (isResave)
            return resave(*loaded, args[2]);
        return args[0] == "dump"_L1 ? dump(*loaded) : text(*loaded);
    } catch (const std::bad_alloc&) {
        printError(u"not enough memory for \"%1\""_s.arg(args[1]));
        return kUsageOrFile;
    }
}
