#pragma once

#include <QDialog>
#include <QString>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTableWidget;

namespace ecolvar {

class LstQuery;
class Prompts;

// The playlist chooser: lists the playlists, creates and deletes them, and hands the chosen
// name back to its caller. One chooser lives for the whole run, owned by the main window, and
// runs its statements on the main window's query object temqry.
class TOpenLstFrm : public QDialog {
    Q_OBJECT

public:
    TOpenLstFrm(LstQuery& temqry, Prompts& prompts, QWidget* parent = nullptr);

    // The name chosen last; keeps its value between showings.
    QString SelLstName;
    // Set when a playlist was chosen; the caller clears it after use.
    bool LstSelected = false;

    QLabel* Label1 = nullptr;
    QTableWidget* ListView1 = nullptr;
    QPushButton* Button1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N1 = nullptr; // 添加新播放列表名称
    QAction* N2 = nullptr; // 删除

    // Fills the list from the database, playlists in the order it keeps them.
    void LoadLsts();

private:
    void FormCreate();
    void Button1Click();
    void N1Click();
    void N2Click();
    int selectedRow() const;

    LstQuery& m_temqry;
    Prompts& m_prompts;
};

} // namespace ecolvar
