// The transcript pane's editor on large transcripts, beside a plain QTextEdit in the same run.
//   bench_richtext [MEGABYTES...]   (default: 1 10)
// The transcript is that of bench_transcripts: paragraphs of about 100 bytes, every tenth with
// an annotated word. Each measurement runs in a child process of its own on a clean heap:
//   peer    QTextEdit::setPlainText of the document's text, laid out;
//   editor  TRichTextEdit::LoadDocumentFile + FormatDocument (laid out), then a key press at
//           the end and in the middle, a style applied to a word in the middle, and a save.
// Memory is the growth of the resident set over the load and layout.

#include "richtext/trichtextedit.h"
#include "transcriptbench.h"
#include "transcripts/transcriptfile.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
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

void layOut(QTextEdit& edit)
{
    edit.document()->setTextWidth(edit.viewport()->width());
    edit.document()->documentLayout()->documentSize();
}

bool laidOut(const QTextEdit& edit)
{
    return edit.document()->lastBlock().layout()->lineCount() > 0;
}

// The slowest of count key presses of "x" at the position that where() gives.
template <class Where> double keyPress(QTextEdit& edit, Where where, int count)
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

void peer(const QString& path)
{
    RVDocument doc;
    TRVStyle style = englishPaneStyle();
    LoadDocumentFile(path, doc, style);
    const QString text = plainText(doc);
    doc.clear();
    QTextEdit edit;
    edit.resize(800, 600);
    const qint64 before = rssKB();
    QElapsedTimer timer;
    timer.start();
    edit.setPlainText(text);
    layOut(edit);
    const double ms = msSince(timer);
    std::printf("  peer    setPlainText + layout %8.1f ms  memory +%6.1f MB  %s\n", ms,
        (rssKB() - before) / 1e3, laidOut(edit) ? "laid out" : "NOT laid out");
    QTextDocument* peerDoc = edit.document();
    const double atEnd = keyPress(
        edit, [&] { return peerDoc->characterCount() - 1; }, 20);
    const int middle = peerDoc->findBlockByNumber(peerDoc->blockCount() / 2).position() + 10;
    const double inMiddle = keyPress(
        edit, [&] { return middle; }, 20);
    std::printf(
        "  peer    key press at the end %6.2f ms, in the middle %6.2f ms\n", atEnd, inMiddle);
}

void editor(const QString& path, const QString& out)
{
    TRichTextEdit edit(englishPaneStyle());
    edit.resize(800, 600);
    const qint64 before = rssKB();
    QElapsedTimer timer;
    timer.start();
    const bool ok = edit.LoadDocumentFile(path);
    const double loadMs = msSince(timer);
    edit.FormatDocument();
    const double totalMs = msSince(timer);
    const double memoryMB = (rssKB() - before) / 1e3;
    std::printf("  editor  load %8.1f ms + layout %8.1f ms = %8.1f ms  memory +%6.1f MB (%.1fx "
                "the file)  %s%s\n",
        loadMs, totalMs - loadMs, totalMs, memoryMB, memoryMB / (QFileInfo(path).size() / 1e6),
        ok ? "" : "LOAD FAILED ", laidOut(edit) ? "laid out" : "NOT laid out");

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
    std::printf("  editor  key press at the end %6.2f ms, in the middle %6.2f ms, style "
                "applied %6.2f ms (slowest of 20, 20, 10)\n",
        atEnd, inMiddle, styleMs);
    timer.start();
    const RVDocument model = edit.richDocument().contents();
    const double modelMs = msSince(timer);
    timer.start();
    const std::optional<QByteArray> bytes = writeTranscript(model, edit.Style());
    const double writeMs = msSince(timer);
    timer.start();
    const bool saved = edit.SaveDocumentFile(out);
    std::printf("  editor  save %8.1f ms  (of which: the document's items %.1f ms, the bytes "
                "%.1f ms)  %s\n",
        msSince(timer), modelMs, writeMs, saved && bytes ? "" : "SAVE FAILED");
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

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(QByteArray(argv[i]).toInt());
    if (sizes.isEmpty())
        sizes = { 1, 10 };
    QTemporaryDir dir;
    for (int megabytes : sizes) {
        const QString path = dir.filePath(u"bench%1.eng"_s.arg(megabytes));
        inChild([&] {
            SaveDocumentFile(
                path, makeDocument(qint64(megabytes) * 1000 * 1000), englishPaneStyle());
        });
        std::printf("%.1f MB transcript\n", QFileInfo(path).size() / 1e6);
        inChild([&] { peer(path); });
        inChild([&] { editor(path, dir.filePath(u"out.eng"_s)); });
    }
    return 0;
}
