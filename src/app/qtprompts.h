#pragma once

#include "core/prompts.h"

class QWidget;

namespace ecolvar {

// The prompts as Qt's standard message and input boxes, modal over the given window.
class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : m_parent(parent) { }

    void setParent(QWidget* parent) { m_parent = parent; }

    void information(const QString& text) override;
    bool confirm(const QString& text, const QString& caption = QString()) override;
    Answer ask(const QString& text, const QString& caption = QString()) override;
    Answer askWithCancel(const QString& text, const QString& caption = QString()) override;
    QString input(const QString& prompt) override;
    void error(const QString& text) override;

private:
    QWidget* m_parent;
};

} // namespace ecolvar
