#include "practicewidgets.h"

#include "player/tsegmenttrackbar.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QResizeEvent>
#include <QSpinBox>
#include <QStatusBar>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ecolvar {

SentenceLine::SentenceLine(QWidget* parent) : QLabel(parent)
{
    setObjectName(u"LblSentence"_s);
    setAccessibleName(u"当前句"_s);
    setTextFormat(Qt::PlainText);
    setContentsMargins(4, 0, 4, 0);
    // The line takes the width it is given, whatever the sentence's length.
    setMinimumWidth(1);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void SentenceLine::setSentence(const QString& text)
{
    m_sentence = text;
    setToolTip(text);
    elide();
}

void SentenceLine::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    elide();
}

void SentenceLine::elide()
{
    const int width = contentsRect().width();
    setText(fontMetrics().elidedText(m_sentence, Qt::ElideRight, std::max(width, 0)));
}

PracticeWidgets::PracticeWidgets(TSegmentTrackBar& bar, std::function<double(qint64)> toBar,
    QLabel& drillLabel, SentenceLine& sentenceLine, QStatusBar& statusBar)
    : m_bar(bar), m_toBar(std::move(toBar)), m_drillLabel(drillLabel), m_sentenceLine(sentenceLine),
      m_statusBar(statusBar)
{
}

void PracticeWidgets::showSentenceTicks(const QList<int>& startsMs)
{
    QList<double> units;
    units.reserve(startsMs.size());
    for (int ms : startsMs)
        units.append(m_toBar(ms));
    m_bar.showSentenceTicks(units);
}

void PracticeWidgets::showCurrentSentence(const QString& text)
{
    m_sentenceLine.setSentence(text);
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

SkipSettingsDialog::SkipSettingsDialog(const SkipSettings& settings, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(u"SkipSettingsDialog"_s);
    setWindowTitle(u"跳转与暂停设置"_s);
    skipSeconds = new QSpinBox(this);
    skipSeconds->setObjectName(u"skipSeconds"_s);
    skipSeconds->setRange(SkipSettings::minSkipSeconds, SkipSettings::maxSkipSeconds);
    skipSeconds->setValue(settings.skipSeconds);
    skipSeconds->setSuffix(u" 秒"_s);
    rewindSeconds = new QSpinBox(this);
    rewindSeconds->setObjectName(u"rewindSeconds"_s);
    rewindSeconds->setRange(0, SkipSettings::maxRewindSeconds);
    rewindSeconds->setValue(settings.rewindSeconds);
    rewindSeconds->setSuffix(u" 秒"_s);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow(u"前进、后退（F2、F3）的秒数："_s, skipSeconds);
    layout->addRow(u"暂停时回退的秒数："_s, rewindSeconds);
    layout->addRow(buttons);
}

SkipSettings SkipSettingsDialog::settings() const
{
    return { skipSeconds->value(), rewindSeconds->value() };
}

} // namespace ecolvar
