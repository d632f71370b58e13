#include "qtprompts.h"

#include <QInputDialog>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

const QString programCaption = u"Ecolvar"_s;

} // namespace

void QtPrompts::information(const QString& text)
{
    QMessageBox::information(m_parent, programCaption, text);
}

bool QtPrompts::confirm(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption.isEmpty() ? programCaption : caption, text,
        QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtPrompts::input(const QString& prompt)
{
    bool ok = false;
    const QString answer
        = QInputDialog::getText(m_parent, u"提示"_s, prompt, QLineEdit::Normal, QString(), &ok);
    return ok ? answer : QString();
}

void QtPrompts::error(const QString& text)
{
    QMessageBox::critical(m_parent, programCaption, text);
}

} // namespace ecolvar
