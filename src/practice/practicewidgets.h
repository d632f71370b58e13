#pragma once

#include "practicecontroller.h"

#include <QDialog>

#include <optional>

class QLabel;
class QSpinBox;
class QStatusBar;

namespace ecolvar {

class TSegmentTrackBar;

// The practice view over the window's controls: sentence ticks on the track bar (single-file
// mode, where a bar unit is a second), the drill's label and messages on the status line.
class PracticeWidgets : public PracticeView {
public:
    PracticeWidgets(TSegmentTrackBar& bar, QLabel& drillLabel, QStatusBar& statusBar);

    void showSentenceTicks(const QList<int>& startsMs) override;
    void showDrillStatus(const QString& text) override;
    void showPracticeMessage(const QString& text) override;

private:
    TSegmentTrackBar& m_bar;
    QLabel& m_drillLabel;
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

} // namespace ecolvar
