#include "tmemofrm.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace ecolvar {

TMemoFrm::TMemoFrm(QWidget* parent)
    : TMemoFrm({ u"MemoFrm", u"MemoFrm", QRect(192, 114, 392, 265) }, parent)
{
}

TMemoFrm::TMemoFrm(const Design& design, QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::fromUtf16(design.objectName));
    setWindowTitle(QString::fromUtf16(design.caption));
    setModal(true);
    setSizeGripEnabled(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(u"Memo1"_s);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(Memo1, 1);

    // The lower panel: 41 high, the two buttons at its right.
    auto* buttons = new QWidget(this);
    buttons->setFixedHeight(41);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 8, 9, 8);
    row->setSpacing(13);
    row->addStretch(1);
    Button1 = new QPushButton(u"确定"_s, buttons);
    Button1->setObjectName(u"Button1"_s);
    Button2 = new QPushButton(u"取消"_s, buttons);
    Button2->setObjectName(u"Button2"_s);
    for (QPushButton* button : { Button1, Button2 }) {
        button->setFixedSize(75, 25);
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    layout->addWidget(buttons);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    resize(design.geometry.size());
    move(design.geometry.topLeft());
}

std::optional<QString> TMemoFrm::editNote(const QString& note)
{
    QString shown = note;
    shown.replace(u"\r\n"_s, u"\n"_s);
    Memo1->setPlainText(shown);
    Memo1->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return Memo1->toPlainText().replace(u'\n', u"\r\n"_s);
}

TMemoFrm2::TMemoFrm2(QWidget* parent)
    : TMemoFrm({ u"MemoFrm2", u"MemoFrm2", QRect(191, 114, 392, 264) }, parent)
{
}

} // namespace ecolvar
