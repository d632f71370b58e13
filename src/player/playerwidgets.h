#pragma once

#include "player/playerview.h"

#include <QObject>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QStatusBar;
class QTimer;

namespace ecolvar {

// The player's view over the main window's controls. The window owns the controls and this.
class PlayerWidgets : public QObject, public PlayerView {
    Q_OBJECT

public:
    struct Controls {
        QLabel* Label6 = nullptr;
        QLabel* Label7 = nullptr;
        QLabel* LblFileLst = nullptr;
        QListWidget* ListBox1 = nullptr;
        QTimer* Timer2 = nullptr;
        QStatusBar* StatusBar1 = nullptr;
    };
    explicit PlayerWidgets(const Controls& controls, QObject* parent = nullptr);

    void setPositionText(const QString& text) override;
    void setSegmentText(const QString& text) override;
    void setListName(const QString& name) override;
    void setStatusText(const QString& text) override;
    void setSideLines(const QStringList& lines) override;
    void selectSideLine(int index) override;
    int selectedSideLine() const override;
    void setTickEnabled(bool enabled) override;

    // The pointer entered a line of the side panel: its hint becomes the line's text, the full
    // path. Over the empty area below the lines the hint keeps its text.
    void ListBox1MouseMove(QListWidgetItem* item);

private:
    Controls m_controls;
};

} // namespace ecolvar
