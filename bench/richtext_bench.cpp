// The transcript pane's editor on large transcripts, beside a plain QTextEdit and a
// QPlainTextEdit in the same run.
//   bench_richtext [MEGABYTES...]          (default: 1 10)
//   bench_richtext --worst [MEGABYTES...]  (default: the largest transcript a pane opens)
// The transcript is that of bench_transcripts: paragraphs of about 100 bytes, every tenth with
// an annotated word. With --worst it is the most items the reader accepts for that size, as
// one-line paragraphs and as one paragraph. Each measurement runs in a child process of its
// own on a clean heap:
//   QTextEdit       setPlainText of the document's text, laid out;
//   QPlainTextEdit  setPlainText of the same text (it lays out only what is shown);
//   editor          TRichTextEdit::LoadDocumentFile, FormatDocument (what is shown laid out:
//                   the pane can be used), then the rest of the layout (finishLayout), then a
//                   key press at the end and in the middle, a style applied to a word in the
//                   middle, and a save.
// Memory is the growth of the resident set over the load and the whole layout.

#include "richtext/trichtextedit.h"
#include "transcriptbench.h"
#include "transcripts/transcriptfile.h"
#include "transcripts/transcriptpanes.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>

#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;
using ecolvar::bench::makeDocument;

namespace {

qint64 rssKB()
{
    return bench::statusKB("VmRSS:");
}

double msSince(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

QString plainText(const RVDocument& doc)
{
    QString text;
    for (qsizetype i = 0; i < doc.Items.size(); ++i) {
        if (i > 0 && !doc.Items[i].continuesParagraph())
            text.append(u'\n');
        text.append(doc.Items[i].Text);
    }
    return text;
}

bool laidOut(const QTextEdit& edit)
{
    return edit.document()->lastBlock().layout()->lineCount() > 0;
}

// The slowest of count key presses of "x" at the position that where() gives.
template <class Edit, class Where> double keyPress(Edit& edit, Where where, int count)
{
    double slowest = 0;
    for (int i = 0; i < count; ++i) {
        QTextCursor c = edit.textCursor();
        c.setPosition(where());
        edit.setTextCursor(c);
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(&edit, Qt::Key_X);
        slowest = std::max(slowest, msSince(timer));
    }
    return slowest;
}

QString fileText(const QString& path)
{
    RVDocument doc;
    TRVStyle style = englishPaneStyle();
    LoadDocumentFile(path, doc, style);
    return plainText(doc);
}

template <class Edit> void peer(const QString& path, const char* name, bool keys)
{
    QString text = fileText(path);
    Edit edit;
    edit.resize(800, 600);
    const qint64 before = rssKB();
    QElapsedTimer timer;
    timer.start();
    edit.setPlainText(text);
    edit.document()->setTextWidth(edit.viewport()->width());
    edit.document()->documentLayout()->documentSize();
    const double ms = msSince(timer);
    text.clear();
    std::printf("  %-15s setPlainText + layout %8.1f ms  memory +%6.1f MB\n", name, ms,
        (rssKB() - before) / 1e3);
    if (!keys)
        return;
    QTextDocument* peerDoc = edit.document();
    const double atEnd = keyPress(
        edit, [&] { return peerDoc->characterCount() - 1; }, 20);
    const int middle = peerDoc->findBlockByNumber(peerDoc->blockCount() / 2).position() + 10;
    const double inMiddle = keyPress(
        edit, [&] { return middle; }, 20);
    std::printf(
        "  %-15s key press at the end %6.2f ms, in the middle %6.2f ms\n", name, atEnd, inMiddle);
}

void editor(const QString& path, const QString& out, bool edits)
{
    TRichTextEdit edit(englishPaneStyle());
    edit.setDocumentFormat(transcriptFormat());
    edit.resize(800, 600);
    const qint64 before = rssKB();
    QElapsedTimer timer;
    timer.start();
    const bool ok = edit.LoadDocumentFile(path);
    const double loadMs = msSince(timer);
    edit.FormatDocument();
    const double viewMs = msSince(timer);
    edit.finishLayout();
    const double totalMs = msSince(timer);
    const double memoryMB = (rssKB() - before) / 1e3;
    std::printf("  editor          load %8.1f ms, shown %8.1f ms, laid out %8.1f ms  memory "
                "+%6.1f MB (%.1fx the file)  %s%s\n",
        loadMs, viewMs, totalMs, memoryMB, memoryMB / (QFileInfo(path).size() / 1e6),
        ok ? "" : "LOAD FAILED ", laidOut(edit) ? "" : "NOT laid out");
    if (!edits)
        return;
    {
        QFile in(path);
        QFile back(out);
        const bool same = edit.SaveDocumentFile(out) && in.open(QIODevice::ReadOnly)
            && back.open(QIODevice::ReadOnly) && in.readAll() == back.readAll();
        std::printf("  editor          saved before any edit: %s\n",
            same ? "the same bytes as the file" : "DIFFERENT BYTES");
    }
    QTextDocument* doc = edit.document();
    const double atEnd = keyPress(
        edit, [&] { return doc->characterCount() - 1; }, 20);
    const int middle = doc->findBlockByNumber(doc->blockCount() / 2).position() + 10;
    const double inMiddle = keyPress(
        edit, [&] { return middle; }, 20);
    double styleMs = 0;
    for (int i = 0; i < 10; ++i) {
        const QTextBlock block = doc->findBlockByNumber(doc->blockCount() / 2 + i);
        QTextCursor c(block);
        c.movePosition(QTextCursor::NextWord);
        c.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
        edit.setTextCursor(c);
        timer.start();
        edit.ApplyStyleToSelection(3);
        styleMs = std::max(styleMs, msSince(timer));
    }
    std::printf("  editor          key press at the end %6.2f ms, in the middle %6.2f ms, style "
                "applied %6.2f ms (slowest of 20, 20, 10)\n",
        atEnd, inMiddle, styleMs);
    timer.start();
    const std::optional<QByteArray> bytes
        = writeTranscript(RVTextDocument::Items(edit.richDocument()), edit.Style());
    const double writeMs = msSince(timer);
    timer.start();
    const bool saved = edit.SaveDocumentFile(out);
    std::printf("  editor          save %8.1f ms  (of which the bytes, streamed from the blocks, "
                "%.1f ms)  %s\n",
        msSince(timer), writeMs, saved && bytes ? "" : "SAVE FAILED");
}

template <class Work> void inChild(Work work)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        int argc = 1;
        char name[] = "bench_richtext";
        char* argv[] = { name, nullptr };
        QApplication app(argc, argv);
        work();
        std::fflush(stdout);
        _exit(0);
    }
    waitpid(child, nullptr, 0);
}

// The most items the reader accepts in about bytes: one record of one-line items of equal
// length, each a paragraph of its own or all of them one paragraph.
QByteArray worstTranscript(qint64 bytes, bool oneParagraph)
{
    const char* para = oneParagraph ? "-1" : "0";
    qint64 count = 65536 + bytes / 32;
    const qint64 length = std::max<qint64>(1, bytes / count - 1);
    auto header = [&](qint64 n) -> QByteArray {
        return QByteArray("0 ") + QByteArray::number(n) + ' ' + para + " 0 0 0\r\n";
    };
    while (count > 65536 + (header(count).size() + count * (length + 1)) / 32)
        --count;
    QByteArray line(length, 'x');
    line.back() = ' ';
    line.append('\n');
    return header(count) + line.repeated(count);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool worst = argc > 1 && QByteArray(argv[1]) == "--worst";
    QList<int> sizes;
    for (int i = worst ? 2 : 1; i < argc; ++i)
        sizes.append(QByteArray(argv[i]).toInt());
    if (sizes.isEmpty())
        sizes = worst ? QList<int> { int(MaxPaneTranscriptBytes / 1000000) } : QList<int> { 1, 10 };
    QTemporaryDir dir;
    for (int megabytes : sizes) {
        for (int shape = 0; shape < (worst ? 2 : 1); ++shape) {
            const QString path = dir.filePath(u"bench%1.eng"_s.arg(megabytes));
            if (worst) {
                QFile file(path);
                if (!file.open(QIODevice::WriteOnly)
                    || !file.write(worstTranscript(qint64(megabytes) * 1000 * 1000, shape == 1)))
                    return 1;
            } else {
                inChild([&] {
                    SaveDocumentFile(
                        path, makeDocument(qint64(megabytes) * 1000 * 1000), englishPaneStyle());
                });
            }
            std::printf("%.1f MB transcript%s\n", QFileInfo(path).size() / 1e6,
                !worst           ? ""
                    : shape == 0 ? ", the most items, one per paragraph"
                                 : ", the most items, one paragraph");
            inChild([&] { peer<QTextEdit>(path, "QTextEdit", !worst); });
            inChild([&] { peer<QPlainTextEdit>(path, "QPlainTextEdit", !worst); });
            inChild([&] { editor(path, dir.filePath(u"out.eng"_s), !worst); });
        }
    }
    return 0;
}
