#include "practicewidgets.h"

#include "player/tsegmenttrackbar.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace ecolvar {

PracticeWidgets::PracticeWidgets(TSegmentTrackBar& bar, QLabel& drillLabel, QStatusBar& statusBar)
    : m_bar(bar), m_drillLabel(drillLabel), m_statusBar(statusBar)
{
}

void PracticeWidgets::showSentenceTicks(const QList<int>& startsMs)
{
    QList<double> seconds;
    seconds.reserve(startsMs.size());
    for (int ms : startsMs)
        seconds.append(ms / 1000.0);
    m_bar.showSentenceTicks(seconds);
}

void PracticeWidgets::showDrillStatus(const QString& text)
{
    m_drillLabel.setText(text);
}

void PracticeWidgets::showPracticeMessage(const QString& text)
{
    if (text.isEmpty())
        m_statusBar.clearMessage();
    else
        m_statusBar.showMessage(text);
}

DrillSettingsDialog::DrillSettingsDialog(const SentenceDrill::Settings& settings, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(u"DrillSettingsDialog"_s);
    setWindowTitle(u"逐句复读设置"_s);
    passes = new QSpinBox(this);
    passes->setObjectName(u"passes"_s);
    passes->setRange(SentenceDrill::minPasses, SentenceDrill::maxPasses);
    passes->setValue(settings.passes);
    passes->setSuffix(u" 遍"_s);
    pausePercent = new QSpinBox(this);
    pausePercent->setObjectName(u"pausePercent"_s);
    pausePercent->setRange(0, SentenceDrill::maxPausePercent);
    pausePercent->setSingleStep(10);
    pausePercent->setValue(settings.pausePercent);
    pausePercent->setSuffix(u" %"_s);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow(u"每句播放次数："_s, passes);
    layout->addRow(u"每遍之后停顿（句长的百分比）："_s, pausePercent);
    layout->addRow(buttons);
}

SentenceDrill::Settings DrillSettingsDialog::settings() const
{
    return { passes->value(), pausePercent->value() };
}

} // namespace ecolvar
