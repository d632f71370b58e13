#pragma once

#include "core/ecolvarerror.h"
#include "library/librarytree.h"

#include "scriptedprompts.h"
#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace ecolvar::test {

// The text of the error fn throws, or "" when it throws none.
template <typename F> QString errorOf(F&& fn)
{
    try {
        fn();
    } catch (const EcolvarError& e) {
        return e.text();
    }
    return {};
}

// A program directory with an empty library "mpl/" in a temporary directory, scripted prompts
// and a library tree over it that counts its rebuilds.
class LibraryFixture : public ::testing::Test {
protected:
    LibraryFixture()
    {
        EXPECT_TRUE(m_programDir.isValid());
        QDir().mkpath(lib());
        tree.setRebuiltHandler([this] { ++rebuilds; });
    }

    // The program directory and the library directory, each ending in a separator.
    QString programDir() const { return m_programDir.path() + QDir::separator(); }
    QString lib() const { return programDir() + QStringLiteral("mpl") + QDir::separator(); }

    // Creates directories and files below the library ("a/b/" a directory, "a/x.mpl" a file).
    void make(const QString& relative, const QByteArray& bytes = {}) const
    {
        if (relative.endsWith(u'/'))
            ASSERT_TRUE(QDir().mkpath(lib() + relative));
        else
            writeFile(lib() + relative, bytes);
    }
    bool exists(const QString& relative) const
    {
        return QFileInfo::exists(lib() + relative) || QFileInfo(lib() + relative).isSymLink();
    }

    // The node at a path of captions below the root ("" is the root), or nullptr.
    const LibraryNode* node(const QString& captions) const
    {
        const LibraryNode* n = &tree.root();
        for (const QString& caption : captions.split(u'/', Qt::SkipEmptyParts)) {
            const LibraryNode* next = nullptr;
            for (const auto& child : n->children) {
                if (child->caption == caption)
                    next = child.get();
            }
            if (!next)
                return nullptr;
            n = next;
        }
        return n;
    }
    const LibraryNode& at(const QString& captions) const
    {
        const LibraryNode* n = node(captions);
        if (!n)
            throw std::runtime_error("no node " + captions.toStdString());
        return *n;
    }

    // The tree as text: each node's caption and picture, children in brackets.
    static QString describe(const LibraryNode& n)
    {
        QString text = n.caption + QStringLiteral(":%1").arg(n.image());
        if (n.children.empty())
            return text;
        QStringList children;
        for (const auto& child : n.children)
            children.append(describe(*child));
        return text + u'[' + children.join(u' ') + u']';
    }
    QString shape() const { return describe(tree.root()); }

    QTemporaryDir m_programDir;
    ScriptedPrompts prompts;
    LibraryTree tree { prompts, lib() };
    int rebuilds = 0;
};

} // namespace ecolvar::test
