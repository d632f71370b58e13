#include "practicewidgets.h"

#include "player/tsegmenttrackbar.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QResizeEvent>
#include <QSpinBox>
#include <QStatusBar>

#include <algorithm>
#include <initializer_list>
#include <utility>

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

namespace {

QSpinBox* spinBox(QWidget* parent, const QString& name, int minimum, int maximum, int value,
    const QString& suffix)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
}

// Lays the dialog out as a form of these rows above OK and Cancel.
void layOutSettings(QDialog* dialog, std::initializer_list<std::pair<QString, QWidget*>> rows)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* layout = new QFormLayout(dialog);
    for (const auto& [label, field] : rows)
        layout->addRow(label, field);
    layout->addRow(buttons);
}

} // namespace

DrillSettingsDialog::DrillSettingsDialog(const SentenceDrill::Settings& settings, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(u"DrillSettingsDialog"_s);
    setWindowTitle(u"逐句复读设置"_s);
    passes = spinBox(this, u"passes"_s, SentenceDrill::minPasses, SentenceDrill::maxPasses,
        settings.passes, u" 遍"_s);
    pausePercent = spinBox(
        this, u"pausePercent"_s, 0, SentenceDrill::maxPausePercent, settings.pausePercent, u" %"_s);
    pausePercent->setSingleStep(10);
    layOutSettings(this,
        { { u"每句播放次数："_s, passes }, { u"每遍之后停顿（句长的百分比）："_s, pausePercent } });
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
    skipSeconds = spinBox(this, u"skipSeconds"_s, SkipSettings::minSkipSeconds,
        SkipSettings::maxSkipSeconds, settings.skipSeconds, u" 秒"_s);
    rewindSeconds = spinBox(this, u"rewindSeconds"_s, 0, SkipSettings::maxRewindSeconds,
        settings.rewindSeconds, u" 秒"_s);
    layOutSettings(this,
        { { u"前进、后退（F2、F3）的秒数："_s, skipSeconds },
            { u"暂停时回退的秒数："_s, rewindSeconds } });
}

SkipSettings SkipSettingsDialog::settings() const
{
    return { skipSeconds->value(), rewindSeconds->value() };
}

} // namespace ecolvar
