#pragma once

#include <QString>

#include <exception>

namespace ecolvar {

// An error the learner must see. Thrown by handlers and the layers below them; caught at the
// handler boundary (see guarded.h) and shown by the error report with its text.
class EcolvarError : public std::exception {
public:
    explicit EcolvarError(QString text) : m_text(std::move(text)), m_utf8(m_text.toUtf8()) { }

    const QString& text() const noexcept { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

} // namespace ecolvar
