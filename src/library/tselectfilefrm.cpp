#include "tselectfilefrm.h"

#include "core/ecolvarerror.h"
#include "core/errorreport.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStorageInfo>
#include <QStyle>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

const QStringList audioMask = { u"*.mp3"_s, u"*.wav"_s };

template <typename W> W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QFrame* panel(const QString& name)
{
    auto* frame = named(new QFrame, name);
    frame->setFrameShape(QFrame::NoFrame);
    return frame;
}

QString volumeRoot(const QString& dir)
{
    return QDir::toNativeSeparators(QStorageInfo(dir).rootPath());
}

QString indent(qsizetype level)
{
    return QString(level * 3, u' ');
}

} // namespace

TSelectFileFrm::TSelectFileFrm(QStringList& selectedFiles, QWidget* parent)
    : QDialog(parent), m_selectedFiles(selectedFiles)
{
    m_selectedFiles.clear();
    setObjectName(u"SelectFileFrm"_s);
    setWindowTitle(u"SelectFileFrm"_s);
    resize(472, 361);
    setSizeGripEnabled(true);

    // Drive chooser above the directory list, on the left.
    Panel1 = panel(u"Panel1"_s);
    auto* left = new QVBoxLayout(Panel1);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    Panel3 = panel(u"Panel3"_s);
    Panel3->setFixedHeight(22);
    auto* driveRow = new QHBoxLayout(Panel3);
    driveRow->setContentsMargins(0, 0, 0, 0);
    DriveComboBox1 = named(new QComboBox(Panel3), u"DriveComboBox1"_s);
    DriveComboBox1->setAccessibleName(u"驱动器"_s);
    driveRow->addWidget(DriveComboBox1);
    left->addWidget(Panel3);
    DirectoryListBox1 = named(new QListWidget(Panel1), u"DirectoryListBox1"_s);
    DirectoryListBox1->setAccessibleName(u"目录"_s);
    left->addWidget(DirectoryListBox1, 1);

    // The files with the two buttons on their right.
    Panel2 = panel(u"Panel2"_s);
    auto* right = new QHBoxLayout(Panel2);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    FileListBox1 = named(new QListWidget(Panel2), u"FileListBox1"_s);
    FileListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FileListBox1->setAccessibleName(u"文件"_s);
    right->addWidget(FileListBox1, 1);
    Panel4 = panel(u"Panel4"_s);
    Panel4->setFixedWidth(91);
    Button1 = named(new QPushButton(u"添加"_s, Panel4), u"Button1"_s);
    Button1->setGeometry(8, 0, 75, 25);
    Button2 = named(new QPushButton(u"全部添加"_s, Panel4), u"Button2"_s);
    Button2->setGeometry(8, 32, 75, 25);
    right->addWidget(Panel4);

    Splitter1 = named(new QSplitter(Qt::Horizontal, this), u"Splitter1"_s);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(Panel1);
    Splitter1->addWidget(Panel2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({ 185, width() - 185 });
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Splitter1);

    connectHandler(
        DriveComboBox1, &QComboBox::activated, this, &TSelectFileFrm::DriveComboBox1Change);
    connectHandler(DirectoryListBox1, &QListWidget::itemActivated, this,
        [](TSelectFileFrm* self, QListWidgetItem* item) {
            self->setDirectory(item->data(Qt::UserRole).toString());
        });
    connectHandler(Button1, &QPushButton::clicked, this, &TSelectFileFrm::Button1Click);
    connectHandler(Button2, &QPushButton::clicked, this, &TSelectFileFrm::Button2Click);

    fillDrives();
    // Where the last dialog was left; should that directory be gone, somewhere that exists.
    for (const QString& start : { QDir::currentPath(), QDir::homePath(), QDir::rootPath() }) {
        try {
            setDirectory(start);
            break;
        } catch (const EcolvarError&) {
        }
    }
}

void TSelectFileFrm::execute(QStringList& selectedFiles, QWidget* parent)
{
    TSelectFileFrm dialog(selectedFiles, parent);
    dialog.exec();
}

void TSelectFileFrm::setDirectory(const QString& dir)
{
    const QFileInfo info(dir);
    if (!info.isDir() || !info.isReadable() || !QDir::setCurrent(info.absoluteFilePath()))
        throw EcolvarError(
            u"Cannot change to directory \"%1\"."_s.arg(QDir::toNativeSeparators(dir)));
    m_directory = QDir::toNativeSeparators(QDir::currentPath());
    fillDirectoryList();
    showDrive();
    DirectoryListBox1Change();
}

void TSelectFileFrm::fillDrives()
{
    QStringList roots = { volumeRoot(QDir::currentPath()) };
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid())
            roots.append(QDir::toNativeSeparators(volume.rootPath()));
    }
    roots.removeDuplicates();
    roots.sort();
    for (const QString& root : roots)
        DriveComboBox1->addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), root, root);
}

void TSelectFileFrm::showDrive()
{
    const QString root = volumeRoot(m_directory);
    int index = DriveComboBox1->findData(root);
    if (index < 0) {
        DriveComboBox1->addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), root, root);
        index = DriveComboBox1->count() - 1;
    }
    DriveComboBox1->setCurrentIndex(index);
}

void TSelectFileFrm::fillDirectoryList()
{
    // The chain from the volume's root down to the directory, then its subdirectories.
    const QString root = QDir::fromNativeSeparators(volumeRoot(m_directory));
    QStringList chain = { QDir::fromNativeSeparators(m_directory) };
    QDir up(chain.first());
    while (up.absolutePath() != root && up.cdUp())
        chain.prepend(up.absolutePath());

    DirectoryListBox1->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto add = [this](const QIcon& icon, const QString& text, const QString& path) {
        auto* item = new QListWidgetItem(icon, text, DirectoryListBox1);
        item->setData(Qt::UserRole, QDir::toNativeSeparators(path));
    };
    for (qsizetype i = 0; i < chain.size(); ++i) {
        const QString& path = chain.at(i);
        add(open,
            indent(i) + (i == 0 ? QDir::toNativeSeparators(path) : QFileInfo(path).fileName()),
            path);
    }
    DirectoryListBox1->setCurrentRow(static_cast<int>(chain.size() - 1));
    const QFileInfoList subdirectories
        = QDir(m_directory)
              .entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& subdirectory : subdirectories)
        add(closed, indent(chain.size()) + subdirectory.fileName(),
            subdirectory.absoluteFilePath());
}

void TSelectFileFrm::DriveComboBox1Change()
{
    const QString root = DriveComboBox1->currentData().toString();
    // On the drive already shown the directory stays; another drive opens at its root.
    const QString target = volumeRoot(m_directory) == root ? m_directory : root;
    try {
        if (!QStorageInfo(root).isReady())
            throw EcolvarError(u"Drive \"%1\" is not ready."_s.arg(root));
        setDirectory(target);
    } catch (...) {
        showDrive();
        throw;
    }
}

void TSelectFileFrm::DirectoryListBox1Change()
{
    // Matching ignores letter case; hidden and system files are left out.
    FileListBox1->clear();
    FileListBox1->addItems(
        QDir(m_directory).entryList(audioMask, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

void TSelectFileFrm::Button1Click()
{
    takeFiles(true);
}

void TSelectFileFrm::Button2Click()
{
    takeFiles(false);
}

void TSelectFileFrm::takeFiles(bool selectedOnly)
{
    // After a root (/ or D:\), which ends in a separator already, the path holds two in a row
    // (D:\\Song.mp3); the set files keep such paths as they are and every reader accepts them.
    const QString dir = m_directory + QDir::separator();
    m_selectedFiles.clear();
    for (int row = 0; row < FileListBox1->count(); ++row) {
        const QListWidgetItem* item = FileListBox1->item(row);
        if (!selectedOnly || item->isSelected())
            m_selectedFiles.append(dir + item->text());
    }
    accept();
}

} // namespace ecolvar
