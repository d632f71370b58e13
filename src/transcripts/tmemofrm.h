#pragma once

#include <QDialog>

#include <optional>

class QPlainTextEdit;
class QPushButton;

namespace ecolvar {

// The note dialog of the English pane: a note of several lines in a text box with both scroll
// bars, "确定" and "取消"; the close box counts as Cancel. Made once at start-up and kept, so its
// size and position last while the program runs. The main window owns it.
class TMemoFrm : public QDialog {
    Q_OBJECT

public:
    explicit TMemoFrm(QWidget* parent = nullptr);

    // Shows note (lines separated by CR LF) modally; on OK, the edited text with its lines
    // separated by CR LF, otherwise nothing.
    std::optional<QString> editNote(const QString& note);

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr; // 确定
    QPushButton* Button2 = nullptr; // 取消

protected:
    struct Design {
        const char16_t* objectName;
        const char16_t* caption;
        QRect geometry;
    };
    TMemoFrm(const Design& design, QWidget* parent);
};

// The note dialog of the Chinese pane: the same design under a caption and place of its own.
class TMemoFrm2 : public TMemoFrm {
    Q_OBJECT

public:
    explicit TMemoFrm2(QWidget* parent = nullptr);
};

} // namespace ecolvar
