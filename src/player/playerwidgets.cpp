#include "playerwidgets.h"

#include <QLabel>
#include <QListWidget>
#include <QStatusBar>
#include <QTimer>

namespace ecolvar {

PlayerWidgets::PlayerWidgets(const Controls& controls, QObject* parent)
    : QObject(parent), m_controls(controls)
{
}

void PlayerWidgets::setPositionText(const QString& text)
{
    m_controls.Label7->setText(text);
}

void PlayerWidgets::setSegmentText(const QString& text)
{
    m_controls.Label6->setText(text);
}

void PlayerWidgets::setListName(const QString& name)
{
    m_controls.LblFileLst->setText(name);
}

void PlayerWidgets::setStatusText(const QString& text)
{
    if (text.isEmpty())
        m_controls.StatusBar1->clearMessage();
    else
        m_controls.StatusBar1->showMessage(text);
}

void PlayerWidgets::setSideLines(const QStringList& lines)
{
    m_controls.ListBox1->clear();
    m_controls.ListBox1->addItems(lines);
}

void PlayerWidgets::selectSideLine(int index)
{
    m_controls.ListBox1->setCurrentRow(index);
}

int PlayerWidgets::selectedSideLine() const
{
    const QList<QListWidgetItem*> selected = m_controls.ListBox1->selectedItems();
    return selected.isEmpty() ? -1 : m_controls.ListBox1->row(selected.first());
}

void PlayerWidgets::setTickEnabled(bool enabled)
{
    if (enabled)
        m_controls.Timer2->start();
    else
        m_controls.Timer2->stop();
}

void PlayerWidgets::ListBox1MouseMove(QListWidgetItem* item)
{
    if (item)
        m_controls.ListBox1->setToolTip(item->text());
}

} // namespace ecolvar
