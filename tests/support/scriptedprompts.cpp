#include "scriptedprompts.h"

#include <gtest/gtest.h>

namespace ecolvar::test {

ScriptedPrompts::~ScriptedPrompts()
{
    EXPECT_TRUE(m_confirms.empty()) << m_confirms.size() << " confirmation answer(s) unused";
    EXPECT_TRUE(m_inputs.empty()) << m_inputs.size() << " input answer(s) unused";
}

ScriptedPrompts& ScriptedPrompts::answerConfirm(bool yes)
{
    m_confirms.push_back(yes ? Answer::Yes : Answer::No);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerClosed()
{
    m_confirms.push_back(Answer::Closed);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerInput(const QString& text)
{
    m_inputs.push_back(text);
    return *this;
}

void ScriptedPrompts::information(const QString& text)
{
    m_shown.append({ Kind::Information, text, {} });
}

bool ScriptedPrompts::confirm(const QString& text, const QString& caption)
{
    return ask(text, caption) == Answer::Yes;
}

Prompts::Answer ScriptedPrompts::ask(const QString& text, const QString& caption)
{
    m_shown.append({ Kind::Confirm, text, caption });
    if (m_confirms.empty()) {
        ADD_FAILURE() << "unexpected confirmation: " << text.toStdString();
        return Answer::Closed;
    }
    const Answer answer = m_confirms.front();
    m_confirms.pop_front();
    return answer;
}

QString ScriptedPrompts::input(const QString& prompt)
{
    m_shown.append({ Kind::Input, prompt, {} });
    if (m_inputs.empty()) {
        ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
        return QString();
    }
    QString answer = m_inputs.front();
    m_inputs.pop_front();
    return answer;
}

void ScriptedPrompts::error(const QString& text)
{
    m_shown.append({ Kind::Error, text, {} });
}

QStringList ScriptedPrompts::texts(Kind kind) const
{
    QStringList result;
    for (const Shown& s : m_shown) {
        if (s.kind == kind)
            result.append(s.text);
    }
    return result;
}

void ScriptedPrompts::clear()
{
    m_shown.clear();
}

} // namespace ecolvar::test
