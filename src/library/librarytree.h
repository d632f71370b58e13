#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace ecolvar {

class Prompts;

// A node of the library tree. The root stands for LibraryDir, a folder for a directory below
// it, an audio set for a set file. A node is owned by its parent; the tree owns the root.
struct LibraryNode {
    enum class Kind { Root, Folder, AudioSet };

    Kind kind = Kind::Root;
    QString caption;
    LibraryNode* parent = nullptr;
    std::vector<std::unique_ptr<LibraryNode>> children;

    // The node's picture in imglist: 0 root, 1 folder, 2 audio set.
    int image() const { return static_cast<int>(kind); }
    LibraryNode& addChild(Kind childKind, const QString& childCaption);
};

// While the tree is built, a file is an audio set when its name ends in "mpl", ASCII letters in
// any case, with or without a dot ("examplempl" is one).
bool IsAudioSetFileName(const QString& name);

// Everywhere else a node is an audio set when its caption ends in ".mpl", ASCII letters in any
// case; every other node, the root included, counts as a folder.
bool IsSetCaption(const QString& caption);

// Whether the items of the tree's context menu are enabled.
struct PopupMenu1Items {
    bool N2 = true; // 添加文件夹
    bool N4 = true; // 删除文件夹
    bool N5 = true; // 更名文件夹
    bool N3 = true; // 添加音频文件集
    bool N7 = true; // 删除音频文件集
    bool N8 = true; // 更名音频文件集
    bool t1 = true; // 添加音频文件
    bool operator==(const PopupMenu1Items&) const = default;
};

// The items that fit the selected node: set commands for an audio set, folder commands for the
// root or a folder. With no node selected the items keep their current states.
PopupMenu1Items PopupMenu1Popup(const LibraryNode* selected, const PopupMenu1Items& current);

// The library tree: the folders and audio sets under LibraryDir, and the context menu's
// commands that create, rename and delete them on disk. The tree holds no data of its own:
// every command turns the selected node back into a path, and every change ends in a rebuild
// from disk, which replaces all nodes (pointers to the old ones are invalid afterwards).
class LibraryTree {
public:
    // libraryDir with or without a final separator.
    LibraryTree(Prompts& prompts, const QString& libraryDir);

    // The library directory, ending in a separator.
    const QString& LibraryDir() const { return m_libraryDir; }
    const LibraryNode& root() const { return *m_root; }

    // Called at the end of every rebuild, e.g. to show the new nodes.
    void setRebuiltHandler(std::function<void()> handler) { m_rebuilt = std::move(handler); }

    // Replaces all nodes by the root and the contents of LibraryDir.
    void RebuildLibraryTree();

    // Limits that no real library reaches: folders deeper than maxDepth levels are not entered,
    // and no more than maxNodes nodes are added below the root. A rebuild that hits one tells
    // the learner, once in the tree's life (nodeLimitMessage, depthLimitMessage).
    struct Limits {
        int maxDepth = 64;
        int maxNodes = 100000;
    };
    void setLimits(Limits limits) { m_limits = limits; }
    QString nodeLimitMessage() const;
    QString depthLimitMessage() const;

    // The path a node stands for, ending in a separator: LibraryDir, then the captions from the
    // top folder down to the node, each followed by a separator.
    QString NodePath(const LibraryNode& node) const;
    // The path of an audio set's file: NodePath without its final separator.
    QString SetFilePath(const LibraryNode& node) const;

    // The commands of the context menu, acting on the selected node (nullptr when none).
    // Names given by the learner that hold a path separator, or are "." or "..", are refused
    // with the input/output error (an EcolvarError), as is a folder that cannot be created.
    // Names the file system cannot hold (over 255 bytes with the extension, or a lone surrogate)
    // are refused with an EcolvarError that says why.
    void N2Click(const LibraryNode* selected); // 添加文件夹
    void N4Click(const LibraryNode* selected); // 删除文件夹
    void N5Click(const LibraryNode* selected); // 更名文件夹
    void N3Click(const LibraryNode* selected); // 添加音频文件集
    void N7Click(const LibraryNode* selected); // 删除音频文件集
    void N8Click(const LibraryNode* selected); // 更名音频文件集

private:
    Prompts& m_prompts;
    QString m_libraryDir;
    std::unique_ptr<LibraryNode> m_root;
    std::function<void()> m_rebuilt;
    Limits m_limits;
    bool m_nodeLimitShown = false;
    bool m_depthLimitShown = false;
};

} // namespace ecolvar
