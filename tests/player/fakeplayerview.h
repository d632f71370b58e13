#pragma once

#include "player/playerview.h"

#include <QString>
#include <QStringList>

namespace ecolvar::test {

// The player's view as plain values: what the labels, the side panel and the timer would show.
class FakePlayerView : public PlayerView {
public:
    void setPositionText(const QString& text) override { positionText = text; }
    void setSegmentText(const QString& text) override { segmentText = text; }
    void setListName(const QString& name) override { listName = name; }
    void setStatusText(const QString& text) override { statusTexts.append(text); }
    void setSideLines(const QStringList& lines) override
    {
        sideLines = lines;
        selectedLine = -1;
    }
    void selectSideLine(int index) override { selectedLine = index; }
    int selectedSideLine() const override { return selectedLine; }
    void setTickEnabled(bool enabled) override { tick = enabled; }

    QString positionText = QStringLiteral("(unset)");
    QString segmentText = QStringLiteral("(unset)");
    QString listName = QStringLiteral("(unset)");
    QStringList statusTexts;
    QStringList sideLines;
    int selectedLine = -1;
    bool tick = false;
};

} // namespace ecolvar::test
