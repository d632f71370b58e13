#pragma once

#include "core/prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>

namespace ecolvar::test {

// Prompts answered from a script. Every box shown is recorded; a confirmation or input box
// without a scripted answer fails the test. Answers left unused when it is destroyed fail it too.
class ScriptedPrompts : public Prompts {
public:
    enum class Kind { Information, Confirm, Input, Error };
    struct Shown {
        Kind kind;
        QString text;
        QString caption;
    };

    ~ScriptedPrompts() override;

    // Queues the answer to the next confirmation or question (true = Yes) or input box
    // ("" = Cancel). answerClosed closes the next confirmation or question (Escape).
    ScriptedPrompts& answerConfirm(bool yes);
    ScriptedPrompts& answerClosed();
    ScriptedPrompts& answerInput(const QString& text);

    void information(const QString& text) override;
    bool confirm(const QString& text, const QString& caption = QString()) override;
    Answer ask(const QString& text, const QString& caption = QString()) override;
    QString input(const QString& prompt) override;
    void error(const QString& text) override;

    const QList<Shown>& shown() const { return m_shown; }
    // The texts of the boxes of one kind, in order.
    QStringList texts(Kind kind) const;
    void clear();

private:
    QList<Shown> m_shown;
    std::deque<Answer> m_confirms;
    std::deque<QString> m_inputs;
};

} // namespace ecolvar::test
