#include "tform1.h"

#include "core/errorreport.h"
#include "core/prompts.h"
#include "core/settingsfile.h"
#include "desktop/openrequest.h"
#include "helpviewer.h"
#include "library/librarypanel.h"
#include "player/lengthmeasurer.h"
#include "player/playercontrols.h"
#include "player/playerview.h"
#include "player/playerwidgets.h"
#include "player/speedcontrol.h"
#include "player/tmp3player.h"
#include "player/tsegmenttrackbar.h"
#include "playlists/lengthtable.h"
#include "playlists/playlistdatabase.h"
#include "playlists/topenlstfrm.h"
#include "practice/paragraphstamps.h"
#include "practice/practicecommands.h"
#include "practice/practicecontroller.h"
#include "practice/practicestore.h"
#include "practice/practicewidgets.h"
#include "practice/transcriptfollower.h"
#include "richtext/trichtextedit.h"
#include "tform1parts.h"
#include "transcripts/annotations.h"
#include "transcripts/tmemofrm.h"
#include "transcripts/transcripteditor.h"
#include "transcripts/transcriptpanes.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

// The icons live in this static library; the resource has to be registered by hand.
static void initIcons()
{
    Q_INIT_RESOURCE(icons);
}

namespace ecolvar {

namespace {

QString withSeparator(const QString& dir)
{
    QString d = QDir::toNativeSeparators(dir);
    if (!d.endsWith(QDir::separator()))
        d += QDir::separator();
    return d;
}

QAction* menuItem(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

} // namespace

TForm1::TForm1(
    Prompts& prompts, const QString& programDir, const MediaDeviceFactory& devices, QWidget* parent)
    : TForm1(prompts, programDir, PlaylistDatabase::inMemory(), devices, parent)
{
}

TForm1::TForm1(Prompts& prompts, const QString& programDir, const QString& databaseFile,
    const MediaDeviceFactory& devices, QWidget* parent)
    : QMainWindow(parent), m_prompts(prompts), m_programDir(withSeparator(programDir)),
      m_playlistDb(std::make_unique<PlaylistDatabase>(databaseFile)),
      m_playingList(std::make_unique<PlayingList>(*m_playlistDb, prompts))
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Ecolvar"_s);
    resize(724, 500);
    initIcons();

    const QStringList images = { u"root"_s, u"folder"_s, u"audioset"_s, u"openlist"_s, u"spare1"_s,
        u"spare2"_s, u"spare3"_s, u"maintain"_s };
    for (const QString& image : images)
        imglist.append(QIcon(u":/icons/"_s + image + u".svg"_s));

    Timer2 = named(new QTimer(this), u"Timer2"_s);
    Timer2->setInterval(333);

    MediaDevices made = devices();
    MediaPlayer1 = std::move(made.player);
    MediaPlayer2 = std::move(made.probe);
    m_probes = std::move(made.probes);

    Help = new HelpViewer(m_programDir, this);
    buildMenus();
    buildLayout();
    // The playlist database is open (or known to be unusable) before the start-up steps.
    if (!m_playlistDb->isOpen())
        ErrorReport::report(m_playlistDb->openError());
    FormCreate();
    createDialogs();
    setAcceptDrops(true);
}

TForm1::~TForm1()
{
    // The dialogs use the playlist database: they go first.
    delete MaintainLstFrm;
    delete OpenLstFrm;
}

QString TForm1::TranscriptDir() const
{
    return m_programDir + u"txt"_s + QDir::separator();
}

// The steps of start-up, in order.
void TForm1::FormCreate()
{
    // 1. No file chosen yet.
    SelectedFiles.clear();

    // 2. The library lives beside the executable; a fresh install gets its two directories.
    m_libraryDir = m_programDir + u"mpl"_s + QDir::separator();
    QDir().mkpath(m_libraryDir);
    QDir().mkpath(TranscriptDir());

    // 3. The library tree, built from LibraryDir and fully expanded, and the file list.
    Library = new LibraryPanel(m_prompts, m_libraryDir,
        { TreeView1, ListView1, N2, N4, N5, N3, N7, N8, t1 }, imglist, SelectedFiles, this);
    Library->RebuildLibraryTree();
    connectHandler(TreeView1, &QTreeWidget::itemClicked, Library, &LibraryPanel::TreeView1Click);
    connectHandler(PopupMenu1, &QMenu::aboutToShow, Library, &LibraryPanel::PopupMenu1Popup);
    connectHandler(N2, &QAction::triggered, Library, &LibraryPanel::N2Click);
    connectHandler(N4, &QAction::triggered, Library, &LibraryPanel::N4Click);
    connectHandler(N5, &QAction::triggered, Library, &LibraryPanel::N5Click);
    connectHandler(N3, &QAction::triggered, Library, &LibraryPanel::N3Click);
    connectHandler(N7, &QAction::triggered, Library, &LibraryPanel::N7Click);
    connectHandler(N8, &QAction::triggered, Library, &LibraryPanel::N8Click);
    connectHandler(t1, &QAction::triggered, Library, &LibraryPanel::t1Click);
    connectHandler(N11, &QAction::triggered, Library, &LibraryPanel::N11Click);

    // 4. The segment track bar fills Panel9. While playing, releasing its thumb or clicking the
    //    bar plays on from there; stopped, it only sets where the next play begins.
    TrackBar = new TSegmentTrackBar(Panel9);
    TrackBar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    Panel9->layout()->addWidget(TrackBar);

    // 5. The playing list loses the entries whose files are gone, and its name is shown.
    if (m_playlistDb->isOpen()) {
        guarded([this] {
            const QString name = m_playingList->GetPlayingLstName();
            if (const std::optional<QString> shown = m_playingList->CheckLstFiles(name))
                LblFileLst->setText(*shown);
        });
    }

    // 6. The repeat segment: none yet.
    Label6->setFixedWidth(label6Width);
    TrackBar->showSelection(0, 0);
    Label6->setText(segmentText(0, 0));
    placeLabel6();

    // 7. The position: the thumb of an empty timeline.
    Label7->setFixedWidth(140);
    Label7->setText(positionText(TrackBar->value(), 0));

    // 8. The timeline player and the handlers that drive it.
    m_playerView
        = new PlayerWidgets({ Label6, Label7, LblFileLst, ListBox1, Timer2, StatusBar1 }, this);
    Mp3Player = std::make_unique<TMp3Player>(
        *MediaPlayer1, *MediaPlayer2, *TrackBar, *m_playerView, m_prompts);
    if (m_probes) {
        m_lengthTable = std::make_unique<LengthTable>(*m_playlistDb);
        m_measurer = std::make_unique<LengthMeasurer>(m_probes, m_lengthTable.get());
        // The window's own devices find and keep the seek indexes of MP3s without a header.
        MediaPlayer1->setLengthCache(m_lengthTable.get());
        MediaPlayer2->setLengthCache(m_lengthTable.get());
        Mp3Player->setMeasurer(m_measurer.get());
    }
    // Opening a document (a file or a playlist) is announced by the player: the transcript
    // panes follow it.
    m_englishEditor = std::make_unique<TranscriptEditorOver<TRichTextEdit>>(*RichTextEdit3);
    m_chineseEditor = std::make_unique<TranscriptEditorOver<TRichTextEdit>>(*RichTextEdit4);
    m_transcripts = std::make_unique<TranscriptPanes>(
        *m_englishEditor, *m_chineseEditor, TranscriptDir(), m_prompts);
    // Shown at once: a long load that follows keeps the window busy for a moment.
    m_transcripts->setStatusLine([this](const QString& text) {
        StatusBar1->showMessage(text);
        StatusBar1->repaint();
    });
    for (TRichTextEdit* pane : { RichTextEdit3, RichTextEdit4 }) {
        connect(pane, &TRichTextEdit::layoutProgress, StatusBar1, [this](int percent) {
            const QString loading = u"正在载入文稿"_s;
            if (percent < 100)
                StatusBar1->showMessage(u"%1 %2%"_s.arg(loading).arg(percent));
            else if (StatusBar1->currentMessage().startsWith(loading))
                StatusBar1->clearMessage();
        });
    }
    connectHandler(Mp3Player.get(), &TMp3Player::documentOpened, this, &TForm1::LoadTranscripts);
    Player
        = new PlayerControls(*Mp3Player, *MediaPlayer1, *TrackBar, *m_playerView, m_prompts, this);
    connectHandler(SpeedButton1, &QToolButton::clicked, Player, &PlayerControls::SpeedButton1Click);
    connectHandler(SpeedButton2, &QToolButton::clicked, Player, &PlayerControls::SpeedButton2Click);
    connectHandler(SpeedButton5, &QToolButton::clicked, Player, &PlayerControls::SpeedButton5Click);
    connectHandler(SpeedButton6, &QToolButton::clicked, Player, &PlayerControls::SpeedButton6Click);
    connectHandler(SpeedButton7, &QToolButton::clicked, Player, &PlayerControls::SpeedButton7Click);
    connectHandler(SpeedButton8, &QToolButton::clicked, Player, &PlayerControls::SpeedButton8Click);
    connectHandler(SpeedButton9, &QToolButton::clicked, Player, &PlayerControls::SpeedButton9Click);
    connectHandler(
        SpeedButton10, &QToolButton::clicked, Player, &PlayerControls::SpeedButton10Click);
    connectHandler(
        SpeedButton11, &QToolButton::clicked, Player, &PlayerControls::SpeedButton11Click);
    connectHandler(
        ListBox1, &QListWidget::itemDoubleClicked, Player, &PlayerControls::ListBox1DblClick);
    // The learner moves the thumb (dragging, clicking, keys): the player keeps where it is.
    connect(TrackBar, &QSlider::actionTriggered, this,
        [this] { Mp3Player->setBarPosition(TrackBar->sliderPosition()); });
    connectHandler(TrackBar, &QSlider::sliderMoved, Player, &PlayerControls::TrackBarMoved);
    connectHandler(TrackBar, &QSlider::sliderReleased, Player, &PlayerControls::TrackBarReleased);
    connectHandler(
        ListBox1, &QListWidget::itemEntered, m_playerView, &PlayerWidgets::ListBox1MouseMove);
    connectHandler(N14, &QAction::triggered, this, &TForm1::N14Click);
    connectHandler(ListView1, &QTreeWidget::itemDoubleClicked, this, &TForm1::N14Click);

    // 9. Sentence by sentence.
    createPractice();
}

void TForm1::createPractice()
{
    if (m_playlistDb->isOpen()) {
        guarded([this] { m_practiceStore = std::make_unique<PracticeStore>(*m_playlistDb); });
    }
    LblDrill = named(new QLabel(StatusBar1), u"LblDrill"_s);
    StatusBar1->addPermanentWidget(LblDrill);
    const auto toBar = [this](qint64 ms) {
        const std::optional<double> unit = Mp3Player->msPerBarUnit();
        return unit ? static_cast<double>(ms) / *unit : 0.0;
    };
    m_practiceView
        = std::make_unique<PracticeWidgets>(*TrackBar, toBar, *LblDrill, *LblSentence, *StatusBar1);
    m_drillPasses = std::make_unique<TimelinePasses>(*Mp3Player);
    Practice = new PracticeController(*m_drillPasses, m_practiceStore.get(), *m_practiceView, this);
    if (m_practiceStore) {
        guarded([this] {
            if (const auto saved = m_practiceStore->drillSettings())
                Practice->drill().setSettings({ saved->first, saved->second });
        });
    }
    m_practiceCommands = new PracticeCommands(*Mp3Player, *Player, *Practice, this);
    m_clock.start();
    connect(Timer2, &QTimer::timeout, this,
        [this] { guarded([this] { m_practiceCommands->tick(m_clock.elapsed()); }); });
    connectHandler(
        Mp3Player.get(), &TMp3Player::timelineReady, this, &TForm1::practiceDocumentOpened);
    createTranscriptFollowers();
    buildPracticeMenu();
    m_skip = SkipSettings::load(settingsFile());
    applySkipSettings();
    // Esc is taken only while a drill runs; otherwise it goes where it would go.
    connect(m_practiceCommands, &PracticeCommands::drillRunningChanged, actStopDrill,
        &QAction::setEnabled);
}

void TForm1::buildPracticeMenu()
{
    menuPractice = named(new QMenu(u"练习(&P)"_s, this), u"menuPractice"_s);
    menuBar()->insertMenu(menuHelp->menuAction(), menuPractice);
    const auto item = [this](const QString& name, const QString& caption, const QKeySequence& key,
                          std::function<void()> handler) {
        QAction* action = menuItem(menuPractice, name, caption);
        action->setShortcut(key);
        // The window's shortcuts work from every child, the transcript panes included.
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [handler] { guarded(handler); });
        return action;
    };
    actPlayPause = item(
        u"actPlayPause"_s, u"播放/暂停"_s, Qt::Key_F5, [this] { Player->SpeedButton1Click(); });
    PracticeCommands* commands = m_practiceCommands;
    actBack2s = item(u"actBack2s"_s, u"后退 2 秒"_s, Qt::Key_F2,
        [this, commands] { commands->skipBy(-m_skip.skipSeconds * 1000); });
    actForward2s = item(u"actForward2s"_s, u"前进 2 秒"_s, Qt::Key_F3,
        [this, commands] { commands->skipBy(m_skip.skipSeconds * 1000); });
    menuPractice->addSeparator();
    actPrevSentence = item(u"actPrevSentence"_s, u"上一句"_s, Qt::Key_F6,
        [commands] { commands->previousSentence(); });
    actRepeatSentence = item(u"actRepeatSentence"_s, u"复读本句"_s, Qt::Key_F7,
        [commands] { commands->repeatSentence(); });
    actNextSentence = item(
        u"actNextSentence"_s, u"下一句"_s, Qt::Key_F8, [commands] { commands->nextSentence(); });
    menuPractice->addSeparator();
    actDrill
        = item(u"actDrill"_s, u"逐句复读"_s, Qt::Key_F9, [commands] { commands->toggleDrill(); });
    actStopDrill = item(u"actStopDrill"_s, u"停止逐句复读"_s, Qt::Key_Escape,
        [commands] { commands->stopDrill(); });
    actStopDrill->setEnabled(false);
    actDrillSettings = item(
        u"actDrillSettings"_s, u"逐句复读设置…"_s, QKeySequence(), [this] { editDrillSettings(); });
    actSkipSettings = item(
        u"actSkipSettings"_s, u"跳转与暂停设置…"_s, QKeySequence(), [this] { editSkipSettings(); });
    menuPractice->addSeparator();
    actSlower = item(u"actSlower"_s, u"减速"_s, Qt::Key_F10, [this] { Speed->slower(); });
    actFaster = item(u"actFaster"_s, u"加速"_s, Qt::Key_F11, [this] { Speed->faster(); });
    actNormalSpeed
        = item(u"actNormalSpeed"_s, u"正常速度"_s, Qt::Key_F12, [this] { Speed->normal(); });
    menuPractice->addSeparator();
    actPlayFromStamp = item(u"actPlayFromStamp"_s, u"从本段的时间标记播放"_s, Qt::Key_F4, [this] {
        if (const std::optional<qint64> stamp = visibleFollower()->stampAtCaret())
            m_practiceCommands->playFromStamp(*stamp);
        else
            StatusBar1->showMessage(u"光标所在的段落没有时间标记"_s);
    });
    actImportLyrics
        = item(u"actImportLyrics"_s, u"导入歌词或字幕到文稿…"_s, QKeySequence(), [this] {
              const QString path = QFileDialog::getOpenFileName(this, u"导入歌词或字幕"_s,
                  QString(), u"歌词或字幕 (*.lrc *.srt);;所有文件 (*)"_s);
              if (!path.isEmpty())
                  importLyricsFile(path);
          });
}

void TForm1::editSkipSettings()
{
    SkipSettingsDialog dialog(m_skip, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_skip = dialog.settings().clamped();
    m_skip.save(settingsFile());
    applySkipSettings();
}

void TForm1::applySkipSettings()
{
    Mp3Player->setRewindOnPauseMs(m_skip.rewindSeconds * 1000);
    actBack2s->setText(u"后退 %1 秒"_s.arg(m_skip.skipSeconds));
    actForward2s->setText(u"前进 %1 秒"_s.arg(m_skip.skipSeconds));
}

void TForm1::createTranscriptFollowers()
{
    addStyleCommands(RichTextEdit3, PopupMenu5);
    addStyleCommands(RichTextEdit4, PopupMenu6);
    m_englishFollower = new TranscriptFollower(*RichTextEdit3, this);
    m_chineseFollower = new TranscriptFollower(*RichTextEdit4, this);
    for (TranscriptFollower* follower : { m_englishFollower, m_chineseFollower }) {
        connect(Mp3Player.get(), &TMp3Player::positionShown, follower,
            [follower](qint64 ms) { guarded([&] { follower->follow(ms); }); });
        connect(follower, &TranscriptFollower::playFromRequested, this,
            [this](qint64 ms) { guarded([&] { m_practiceCommands->playFromStamp(ms); }); });
    }
}

void TForm1::addStyleCommands(TRichTextEdit* pane, QMenu* menu)
{
    menu->addSeparator();
    const struct {
        const char16_t* caption;
        const char16_t* styleName;
        Qt::Key key;
    } commands[] = {
        { u"标题", u"Heading", Qt::Key_1 },
        { u"关键词", u"Keywords", Qt::Key_2 },
        { u"正文", u"Normal text", Qt::Key_0 },
    };
    for (const auto& command : commands) {
        auto* action = new QAction(QString::fromUtf16(command.caption), pane);
        action->setObjectName(
            pane->objectName() + u"Style"_s + QString::fromUtf16(command.styleName).remove(u' '));
        action->setShortcut(QKeyCombination(Qt::ControlModifier, command.key));
        action->setShortcutContext(Qt::WidgetShortcut);
        pane->addAction(action);
        menu->addAction(action);
        const QString styleName = QString::fromUtf16(command.styleName);
        const QString caption = action->text();
        connect(action, &QAction::triggered, this, [this, pane, styleName, caption] {
            guarded([&] {
                // A transcript brings its own style sheet: the style is found by its name.
                const QList<TFontInfo>& styles = pane->Style().TextStyles;
                const auto found = std::find_if(styles.begin(), styles.end(),
                    [&](const TFontInfo& style) { return style.StyleName == styleName; });
                if (found == styles.end())
                    StatusBar1->showMessage(u"这份文稿的样式表里没有“%1”样式"_s.arg(caption));
                else
                    pane->ApplyStyleToSelection(int(found - styles.begin()));
            });
        });
    }
}

TRichTextEdit* TForm1::visiblePane() const
{
    return PageControl1->currentIndex() == 0 ? RichTextEdit3 : RichTextEdit4;
}

TranscriptFollower* TForm1::visibleFollower() const
{
    return PageControl1->currentIndex() == 0 ? m_englishFollower : m_chineseFollower;
}

void TForm1::importLyricsFile(const QString& path)
{
    if (Mp3Player->DocName().isEmpty()) {
        m_prompts.information(u"请先打开一个文件或播放列表，再导入它的歌词或字幕。"_s);
        return;
    }
    TRichTextEdit* pane = visiblePane();
    if (!pane->document()->isEmpty()) {
        m_prompts.information(u"歌词或字幕只能导入到空白的文稿中。"_s);
        return;
    }
    // In a list the stamps count from the start of the file the lyrics belong to.
    const TimelineFile place = m_practiceCommands->placeOfLyrics(path);
    const ImportedLyrics lyrics = readLyricsFile(
        path, int(std::min<qint64>(place.lengthMs, std::numeric_limits<int>::max())));
    if (!lyrics.error.isEmpty()) {
        m_prompts.information(lyrics.error);
        return;
    }
    QTextCursor cursor(pane->document());
    cursor.beginEditBlock();
    cursor.insertText(stampedParagraphs(lyrics.sentences, place.startMs).join(u'\n'));
    cursor.endEditBlock();
    pane->FormatDocument();
}

void TForm1::editDrillSettings()
{
    DrillSettingsDialog dialog(Practice->drill().settings(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    Practice->drill().setSettings(dialog.settings());
    if (m_practiceStore) {
        const SentenceDrill::Settings& kept = Practice->drill().settings();
        m_practiceStore->setDrillSettings(kept.passes, kept.pausePercent);
    }
}

// A document's timeline is laid out: its sentence marks are looked for, and the thumb goes where
// the learner left it, at the speed they left it at.
void TForm1::practiceDocumentOpened(const QString& docName)
{
    if (const std::optional<double> speed = m_practiceCommands->documentReady(docName))
        Speed->setSpeed(*speed);
}

void TForm1::rememberDocument()
{
    m_practiceCommands->rememberDocument(Speed->speed());
}

// The dialogs, hidden, in their order: the playlist chooser, the two note dialogs, the
// maintenance dialog. (The select-file dialog is made afresh for every use.)
void TForm1::createDialogs()
{
    OpenLstFrm = new TOpenLstFrm(m_playingList->temqry(), m_prompts, this);
    MemoFrm = new TMemoFrm(this);
    MemoFrm2 = new TMemoFrm2(this);
    MaintainLstFrm = new TMaintainLstFrm(*m_playlistDb, m_prompts, m_filePicker, this);
}

void TForm1::MenuItem1Click()
{
    annotations::SetAnnotation(
        *RichTextEdit3, [this](const QString& note) { return MemoFrm->editNote(note); });
}

void TForm1::unset1Click()
{
    annotations::RemoveAnnotation(*RichTextEdit3);
}

void TForm1::MenuItem2Click()
{
    annotations::SetAnnotation(
        *RichTextEdit4, [this](const QString& note) { return MemoFrm2->editNote(note); });
}

void TForm1::MenuItem3Click()
{
    annotations::RemoveAnnotation(*RichTextEdit4);
}

std::optional<QString> TForm1::chooseList()
{
    OpenLstFrm->exec();
    if (!OpenLstFrm->LstSelected)
        return std::nullopt;
    OpenLstFrm->LstSelected = false;
    return OpenLstFrm->SelLstName;
}

void TForm1::ToolButton1Click()
{
    m_playlistDb->requireOpen();
    const std::optional<QString> name = chooseList();
    if (!name)
        return;
    m_playingList->OpenLst(*name, *this);
}

void TForm1::N10Click()
{
    m_playlistDb->requireOpen();
    const std::optional<QString> name = chooseList();
    if (!name || name->isEmpty())
        return;
    m_playingList->AddFilesToLst(*name, Library->selectedRows());
}

void TForm1::ToolButton3Click()
{
    m_playlistDb->requireOpen();
    TMaintainLstFrm dialog(*m_playlistDb, m_prompts, m_filePicker, this);
    dialog.exec();
}

void TForm1::N14Click()
{
    const QList<FileListRow> rows = Library->selectedRows();
    if (rows.isEmpty())
        return;
    rememberDocument();
    Mp3Player->OpenFile(rows.first().path());
}

void TForm1::enterListMode()
{
    rememberDocument();
    Mp3Player->EnterListMode();
}

void TForm1::loadList(const QString& listName, const QStringList& files, bool resetSelection)
{
    Mp3Player->OpenList(listName, files, resetSelection);
}

void TForm1::LoadTranscripts(const QString& docName)
{
    m_transcripts->LoadTranscripts(docName);
}

void TForm1::N15Click()
{
    m_transcripts->Save(PageControl1->currentIndex());
}

bool TForm1::queryClose()
{
    return m_transcripts->queryClose();
}

void TForm1::FormClose()
{
    // The unsaved transcripts were offered for saving by queryClose.
    SelectedFiles.clear();
    rememberDocument();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool mayClose = false;
    guarded([&] { mayClose = queryClose(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    guarded([this] { FormClose(); });
    event->accept();
}

void TForm1::N13Click()
{
    Help->show();
}

void TForm1::N16Click()
{
    // Ends the message loop without the close handler, once nothing unsaved is left behind.
    if (!queryClose())
        return;
    rememberDocument();
    QCoreApplication::exit(0);
}

void TForm1::buildMenus()
{
    QMenuBar* MainMenu1 = menuBar();
    MainMenu1->setObjectName(u"MainMenu1"_s);
    menuFile = named(MainMenu1->addMenu(u"文件(&F)"_s), u"menuFile"_s);
    N15 = menuItem(menuFile, u"N15"_s, u"保存(&S)"_s);
    N16 = menuItem(menuFile, u"N16"_s, u"退出(&X)"_s);
    menuHelp = named(MainMenu1->addMenu(u"帮助(&H)"_s), u"menuHelp"_s);
    N13 = menuItem(menuHelp, u"N13"_s, u"帮助(&P)"_s);
    connectHandler(N15, &QAction::triggered, this, &TForm1::N15Click);
    connectHandler(N16, &QAction::triggered, this, &TForm1::N16Click);
    connectHandler(N13, &QAction::triggered, this, &TForm1::N13Click);
    N15->setShortcut(QKeySequence::Save);

    PopupMenu1 = named(new QMenu(this), u"PopupMenu1"_s);
    N2 = menuItem(PopupMenu1, u"N2"_s, u"添加文件夹"_s);
    N4 = menuItem(PopupMenu1, u"N4"_s, u"删除文件夹"_s);
    N5 = menuItem(PopupMenu1, u"N5"_s, u"更名文件夹"_s);
    PopupMenu1->addSeparator();
    N3 = menuItem(PopupMenu1, u"N3"_s, u"添加音频文件集"_s);
    N7 = menuItem(PopupMenu1, u"N7"_s, u"删除音频文件集"_s);
    N8 = menuItem(PopupMenu1, u"N8"_s, u"更名音频文件集"_s);
    PopupMenu1->addSeparator();
    t1 = menuItem(PopupMenu1, u"t1"_s, u"添加音频文件"_s);

    PopupMenu2 = named(new QMenu(this), u"PopupMenu2"_s);
    N14 = menuItem(PopupMenu2, u"N14"_s, u"立即播放 "_s);
    N10 = menuItem(PopupMenu2, u"N10"_s, u"添加到播放列表"_s);
    N11 = menuItem(PopupMenu2, u"N11"_s, u"移除文件"_s);
    connectHandler(N10, &QAction::triggered, this, &TForm1::N10Click);

    PopupMenu5 = named(new QMenu(this), u"PopupMenu5"_s);
    MenuItem1 = menuItem(PopupMenu5, u"MenuItem1"_s, u"设置注释"_s);
    unset1 = menuItem(PopupMenu5, u"unset1"_s, u"取消注释"_s);

    PopupMenu6 = named(new QMenu(this), u"PopupMenu6"_s);
    MenuItem2 = menuItem(PopupMenu6, u"MenuItem2"_s, u"设置注释"_s);
    MenuItem3 = menuItem(PopupMenu6, u"MenuItem3"_s, u"取消注释"_s);
    connectHandler(MenuItem1, &QAction::triggered, this, &TForm1::MenuItem1Click);
    connectHandler(unset1, &QAction::triggered, this, &TForm1::unset1Click);
    connectHandler(MenuItem2, &QAction::triggered, this, &TForm1::MenuItem2Click);
    connectHandler(MenuItem3, &QAction::triggered, this, &TForm1::MenuItem3Click);
}

void TForm1::openPaths(const QStringList& arguments)
{
    guarded([&] { openRequested(OpenRequest::fromArguments(arguments, QDir::currentPath())); });
}

void TForm1::openRequested(const OpenRequest& request)
{
    if (request.mode() == OpenRequest::Mode::SingleFile) {
        rememberDocument();
        Mp3Player->OpenFile(request.files().first());
    } else if (request.mode() == OpenRequest::Mode::List) {
        enterListMode();
        loadList(request.listName(), request.files(), true);
    }
    if (!request.message().isEmpty())
        m_prompts.information(request.message());
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (OpenRequest::mayDrop(event->mimeData()->urls()))
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    event->acceptProposedAction();
    // Opened once the drop is over, so that a message does not hold up the program it came from.
    QTimer::singleShot(0, this, [this, request = OpenRequest::fromUrls(event->mimeData()->urls())] {
        guarded([&] { openRequested(request); });
    });
}

} // namespace ecolvar
