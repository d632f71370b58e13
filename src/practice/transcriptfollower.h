#pragma once

#include "paragraphstamps.h"

#include <QObject>

#include <optional>

class QTextEdit;

namespace ecolvar {

// Makes a transcript pane follow the voice and the voice follow the pane, where its paragraphs
// start with time stamps: the paragraph being heard is highlighted (and scrolled into view
// when it is out of sight), and a click with Ctrl on a stamp asks to play from it. The stamps
// are read again after each change of the text. It neither moves the caret nor changes the
// document. Owned by the window; the editor must outlive it.
class TranscriptFollower : public QObject {
    Q_OBJECT
public:
    explicit TranscriptFollower(QTextEdit& edit, QObject* parent = nullptr);

    // The position is at ms of the timeline: its paragraph is highlighted.
    void follow(qint64 ms);
    // The paragraph highlighted; -1: none.
    int highlighted() const { return m_highlighted; }
    // The stamp of the paragraph holding the caret, if it has one.
    std::optional<qint64> stampAtCaret() const;

Q_SIGNALS:
    // The learner asked to play from a stamp at ms.
    void playFromRequested(qint64 ms);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readStamps();
    void highlight(int paragraph);

    // The highlighted paragraph is not known since the text changed.
    static constexpr int unknown = -2;

    QTextEdit& m_edit;
    QObject* m_viewport;
    ParagraphStamps m_stamps;
    bool m_stale = true;
    int m_highlighted = -1;
};

} // namespace ecolvar
