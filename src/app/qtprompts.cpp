#include "qtprompts.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

const QString programCaption = u"Ecolvar"_s;

// A box with the program's own button texts, whatever language Qt's own texts are in.
void showBox(QMessageBox& box)
{
    for (QAbstractButton* button : box.buttons()) {
        switch (box.standardButton(button)) {
        case QMessageBox::Yes:
            button->setText(u"&Yes"_s);
            break;
        case QMessageBox::No:
            button->setText(u"&No"_s);
            break;
        case QMessageBox::Ok:
            button->setText(u"OK"_s);
            break;
        case QMessageBox::Cancel:
            button->setText(u"Cancel"_s);
            break;
        default:
            break;
        }
    }
    box.exec();
}

// Shows a question box; Cancel, Escape and the close box all answer Closed.
Prompts::Answer answerOf(QMessageBox& box)
{
    showBox(box);
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return Prompts::Answer::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No))
        return Prompts::Answer::No;
    return Prompts::Answer::Closed;
}

} // namespace

void QtPrompts::information(const QString& text)
{
    QMessageBox box(QMessageBox::Information, programCaption, text, QMessageBox::Ok, m_parent);
    showBox(box);
}

bool QtPrompts::confirm(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption.isEmpty() ? programCaption : caption, text,
        QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setEscapeButton(QMessageBox::No);
    showBox(box);
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

Prompts::Answer QtPrompts::ask(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption.isEmpty() ? programCaption : caption, text,
        QMessageBox::Yes | QMessageBox::No, m_parent);
    // Escape and the close box press a button that is never shown.
    QPushButton* closed = box.addButton(QMessageBox::Cancel);
    closed->hide();
    box.setEscapeButton(closed);
    return answerOf(box);
}

Prompts::Answer QtPrompts::askWithCancel(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption.isEmpty() ? programCaption : caption, text,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_parent);
    box.setEscapeButton(QMessageBox::Cancel);
    return answerOf(box);
}

QString QtPrompts::input(const QString& prompt)
{
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(u"提示"_s);
    dialog.setLabelText(prompt);
    dialog.setOkButtonText(u"OK"_s);
    dialog.setCancelButtonText(u"Cancel"_s);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

void QtPrompts::error(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, programCaption, text, QMessageBox::Ok, m_parent);
    showBox(box);
}

} // namespace ecolvar
