#pragma once

#include <QString>

namespace ecolvar {

// Every dialogue with the learner goes through this interface: the window code passes the
// Qt implementation, tests a scripted one. All boxes are modal.
class Prompts {
public:
    virtual ~Prompts() = default;

    // An information box: the text and OK.
    virtual void information(const QString& text) = 0;

    // A confirmation with Yes and No. True only for Yes; closing the box counts as No.
    // An empty caption means the program's own caption.
    virtual bool confirm(const QString& text, const QString& caption = QString()) = 0;

    // The answer to a question whose Yes and No both change something.
    enum class Answer { Yes, No, Closed };
    // A question with Yes and No where closing the box (Escape, the close box) is an answer of
    // its own, so that the caller can leave everything as it was. Prompts that cannot be closed
    // answer as confirm does.
    virtual Answer ask(const QString& text, const QString& caption = QString())
    {
        return confirm(text, caption) ? Answer::Yes : Answer::No;
    }
    // A question with Yes, No and Cancel, asked before something that cannot be undone (the
    // program ending): Cancel, Escape and the close box answer Closed, and the caller goes
    // back to where the learner was.
    virtual Answer askWithCancel(const QString& text, const QString& caption = QString())
    {
        return ask(text, caption);
    }

    // An input box titled "提示" with the prompt, an empty edit field, OK and Cancel.
    // Returns the answer as typed (not trimmed); Cancel gives the empty string, which callers
    // treat as "do nothing".
    virtual QString input(const QString& prompt) = 0;

    // An error box with the error's text (the general error report).
    virtual void error(const QString& text) = 0;
};

} // namespace ecolvar
