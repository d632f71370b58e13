#pragma once

#include "practicecontroller.h"
#include "skipsettings.h"

#include <QDialog>
#include <QLabel>

#include <functional>
#include <optional>

class QSpinBox;
class QStatusBar;

namespace ecolvar {

class TSegmentTrackBar;

// The sentence being heard, on a line of its own: elided at the width it gets, with the whole
// text as its hint.
class SentenceLine : public QLabel {
    Q_OBJECT
public:
    explicit SentenceLine(QWidget* parent = nullptr);
    void setSentence(const QString& text);
    const QString& sentence() const { return m_sentence; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    QString m_sentence;
};

// The practice view over the window's controls: sentence ticks on the track bar (at bar units
// that toBar gives for a timeline point), the drill's label, the sentence line and messages on
// the status line.
class PracticeWidgets : public PracticeView {
public:
    PracticeWidgets(TSegmentTrackBar& bar, std::function<double(qint64)> toBar, QLabel& drillLabel,
        SentenceLine& sentenceLine, QStatusBar& statusBar);

    void showSentenceTicks(const QList<int>& startsMs) override;
    void showDrillStatus(const QString& text) override;
    void showPracticeMessage(const QString& text) override;
    void showCurrentSentence(const QString& text) override;

private:
    TSegmentTrackBar& m_bar;
    std::function<double(qint64)> m_toBar;
    QLabel& m_drillLabel;
    SentenceLine& m_sentenceLine;
    QStatusBar& m_statusBar;
};

// The drill's settings: passes per sentence (1 to 10) and the pause after each pass (0 to 200 %
// of the sentence's length).
class DrillSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit DrillSettingsDialog(
        const SentenceDrill::Settings& settings, QWidget* parent = nullptr);

    SentenceDrill::Settings settings() const;

    QSpinBox* passes = nullptr;
    QSpinBox* pausePercent = nullptr;
};

// How far F2/F3 move and how far a pause goes back.
class SkipSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SkipSettingsDialog(const SkipSettings& settings, QWidget* parent = nullptr);

    SkipSettings settings() const;

    QSpinBox* skipSeconds = nullptr;
    QSpinBox* rewindSeconds = nullptr;
};

} // namespace ecolvar
