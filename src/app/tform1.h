#pragma once

#include "player/mediadevice.h"

#include "playlists/playinglist.h"
#include "playlists/tmaintainlstfrm.h"
#include "practice/skipsettings.h"

#include <QElapsedTimer>
#include <QList>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QWidget;

namespace ecolvar {

class HelpViewer;
class LengthMeasurer;
class LengthTable;
class LibraryPanel;
class OpenRequest;
class PlayerControls;
class SentenceLine;
class TimelinePasses;
class TranscriptFollower;
class PlayerWidgets;
class PlaylistDatabase;
class PracticeCommands;
class PracticeController;
class PracticeStore;
class PracticeWidgets;
class Prompts;
class TMemoFrm;
class TMemoFrm2;
class TMp3Player;
class TOpenLstFrm;
class TRichTextEdit;
class TranscriptEditor;
class TranscriptPanes;
class TSegmentTrackBar;
class SpeedControl;
class VolumeSlider;

// The two media devices of the window: the one that plays the timeline, and the one that only
// measures file lengths and never opens the audio output. With probes, loads measure lengths on a
// worker thread, each run with a probe of its own made by it; without, the probe measures them
// before a load returns.
struct MediaDevices {
    std::unique_ptr<MediaDevice> player;
    std::unique_ptr<MediaDevice> probe;
    std::function<std::unique_ptr<MediaDevice>()> probes;
};
using MediaDeviceFactory = std::function<MediaDevices()>;

// The main window: the library panel on the left, the file list, transcripts and player in the
// centre, the playing list on the right. Controls keep their design names (also their
// objectName). Handlers are connected through connectHandler(), so an error escaping one is
// shown by the error report. It is where the program's objects are made and wired: what talks to
// the outside world (the prompts, the audio devices, the playlist database file) is handed in.
class TForm1 : public QMainWindow, private ListPlayer {
    Q_OBJECT

public:
    // programDir is the directory that holds mpl/, txt/ and the help file, with or without a
    // trailing separator. databaseFile is the playlist database, opened before the start-up
    // steps run; when it cannot be opened, the error is reported once and the window works
    // without playlists.
    TForm1(Prompts& prompts, const QString& programDir, const QString& databaseFile,
        const MediaDeviceFactory& devices, QWidget* parent = nullptr);
    // A window whose playlists live in memory only.
    TForm1(Prompts& prompts, const QString& programDir, const MediaDeviceFactory& devices,
        QWidget* parent = nullptr);
    ~TForm1() override;

    // The program directory and the library directory, each ending in a separator.
    const QString& ProgramDir() const { return m_programDir; }
    const QString& LibraryDir() const { return m_libraryDir; }
    // The transcript directory, ending in a separator.
    QString TranscriptDir() const;

    // The full paths chosen in the select-file dialog, in order.
    QStringList SelectedFiles;

    // The pictures of the tree and the tool bar: 0 root, 1 folder, 2 audio set, 3 open
    // playlist, 7 maintain playlists.
    QList<QIcon> imglist;

    // Library panel.
    QFrame* Panel7 = nullptr;
    QTabWidget* PageControl2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QSplitter* Splitter1 = nullptr;

    // Playing-list panel.
    QSplitter* Splitter2 = nullptr;
    QFrame* Panel3 = nullptr;
    QFrame* Panel6 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* LblFileLst = nullptr;
    QFrame* Panel8 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QListWidget* ListBox1 = nullptr;

    // Centre panel: file list, transcripts, player.
    QFrame* Panel1 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QSplitter* Splitter3 = nullptr;
    QFrame* Panel4 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    TRichTextEdit* RichTextEdit3 = nullptr;
    TRichTextEdit* RichTextEdit4 = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* Panel5 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QToolButton* SpeedButton8 = nullptr;
    QToolButton* SpeedButton9 = nullptr;
    QToolButton* SpeedButton10 = nullptr;
    QToolButton* SpeedButton11 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QFrame* Panel9 = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    QTimer* Timer2 = nullptr;

    // The two media devices: MediaPlayer1 plays the timeline; MediaPlayer2 only measures file
    // lengths.
    std::unique_ptr<MediaDevice> MediaPlayer1;
    std::unique_ptr<MediaDevice> MediaPlayer2;

    // The library tree and the file list's commands.
    LibraryPanel* Library = nullptr;

    // The player: the segment track bar in Panel9, the timeline player, and the handlers of the
    // tick, the transport row and the side panel.
    TSegmentTrackBar* TrackBar = nullptr;
    std::unique_ptr<TMp3Player> Mp3Player;
    PlayerControls* Player = nullptr;
    // The volume of MediaPlayer1, at the right of the transport row.
    VolumeSlider* Volume = nullptr;
    SpeedControl* Speed = nullptr;

    // Sentence by sentence: marks, the drill and resume points; the drill's label sits on the
    // status line.
    PracticeController* Practice = nullptr;
    QLabel* LblDrill = nullptr;
    // The sentence being heard, under the player.
    SentenceLine* LblSentence = nullptr;

    // Menus.
    QMenu* menuFile = nullptr;
    QAction* N15 = nullptr; // 保存(&S)
    QAction* N16 = nullptr; // 退出(&X)
    // 练习(&P): keys that text editing and input methods leave alone (function keys and Esc),
    // so they reach the player while the caret is in a transcript pane.
    QMenu* menuPractice = nullptr;
    QAction* actPlayPause = nullptr; // F5
    QAction* actBack2s = nullptr; // F2
    QAction* actForward2s = nullptr; // F3
    QAction* actPrevSentence = nullptr; // F6
    QAction* actRepeatSentence = nullptr; // F7
    QAction* actNextSentence = nullptr; // F8
    QAction* actDrill = nullptr; // F9
    QAction* actStopDrill = nullptr; // Esc
    QAction* actDrillSettings = nullptr;
    QAction* actSlower = nullptr;
    QAction* actFaster = nullptr;
    QAction* actNormalSpeed = nullptr;
    QAction* actPlayFromStamp = nullptr; // F4
    QAction* actImportLyrics = nullptr;
    QAction* actSkipSettings = nullptr;
    QMenu* menuHelp = nullptr;
    QAction* N13 = nullptr; // 帮助(&P)

    QMenu* PopupMenu1 = nullptr; // library tree
    QAction* N2 = nullptr;
    QAction* N4 = nullptr;
    QAction* N5 = nullptr;
    QAction* N3 = nullptr;
    QAction* N7 = nullptr;
    QAction* N8 = nullptr;
    QAction* t1 = nullptr;

    QMenu* PopupMenu2 = nullptr; // file list
    QAction* N14 = nullptr;
    QAction* N10 = nullptr;
    QAction* N11 = nullptr;

    QMenu* PopupMenu5 = nullptr; // English pane
    QAction* MenuItem1 = nullptr;
    QAction* unset1 = nullptr;

    QMenu* PopupMenu6 = nullptr; // Chinese pane
    QAction* MenuItem2 = nullptr;
    QAction* MenuItem3 = nullptr;

    // The dialogs made at start-up, hidden. The chooser is used for the whole run; every
    // opening of the maintenance dialog makes a fresh one.
    TOpenLstFrm* OpenLstFrm = nullptr;
    TMemoFrm* MemoFrm = nullptr;
    TMemoFrm2* MemoFrm2 = nullptr;
    TMaintainLstFrm* MaintainLstFrm = nullptr;

    // Opens the help for 帮助(&P); the help directory is the program directory unless set
    // otherwise.
    HelpViewer* Help = nullptr;

    // Whether the program may end now: the one place that closing the window and 退出(&X) both
    // pass through, where what is unsaved is offered for saving. False keeps the program running.
    bool queryClose();

    // Files handed over by the desktop (command-line arguments: paths, relative ones from the
    // working directory, or file: URLs): one file opens on its own, several as one list; the
    // ones that cannot be opened are named in one message.
    void openPaths(const QStringList& arguments);

    // Reads the lyrics or subtitle file at path into the visible transcript pane as stamped
    // paragraphs, when a document is open and the pane is empty; otherwise, or when the file
    // holds no stamps, a message says why and nothing changes.
    void importLyricsFile(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Files dropped on the window open as openPaths opens them.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void N13Click();
    void N16Click();
    void ToolButton1Click();
    void ToolButton3Click();
    void N10Click();
    void MenuItem1Click(); // 设置注释, English pane
    void unset1Click(); // 取消注释, English pane
    void MenuItem2Click(); // 设置注释, Chinese pane
    void MenuItem3Click(); // 取消注释, Chinese pane
    void N14Click();
    void N15Click();
    void LoadTranscripts(const QString& docName);

    void createDialogs();

    void createPractice();
    // The panes' commands: following the voice, and the styles of their context menus.
    void createTranscriptFollowers();
    // Heading, keyword and normal style for the selection (Ctrl+1, Ctrl+2, Ctrl+0).
    void addStyleCommands(TRichTextEdit* pane, QMenu* menu);
    void editSkipSettings();
    void applySkipSettings();
    TRichTextEdit* visiblePane() const;
    TranscriptFollower* visibleFollower() const;
    void buildPracticeMenu();
    void editDrillSettings();
    void practiceDocumentOpened(const QString& docName);
    // Stores where the learner leaves the open document.
    void rememberDocument();
    // Shows the chooser; the chosen playlist's name, or nothing when none was chosen.
    std::optional<QString> chooseList();
    void enterListMode() override;
    void loadList(const QString& listName, const QStringList& files, bool resetSelection) override;

    void buildLayout();
    void buildMenus();
    QWidget* buildLibraryPanel();
    QWidget* buildCentrePanel();
    QWidget* buildPlayingListPanel();
    QFrame* buildTransportRow();
    void placeLabel6();
    void showContextMenu(QMenu* menu, QWidget* widget, const QPoint& pos);

    Prompts& m_prompts;
    PlayerWidgets* m_playerView = nullptr;
    QString m_programDir;
    QString m_libraryDir;
    std::unique_ptr<PlaylistDatabase> m_playlistDb;
    std::unique_ptr<PlayingList> m_playingList;
    std::function<std::unique_ptr<MediaDevice>()> m_probes;
    std::unique_ptr<LengthTable> m_lengthTable;
    std::unique_ptr<LengthMeasurer> m_measurer;
    std::unique_ptr<PracticeStore> m_practiceStore;
    std::unique_ptr<PracticeWidgets> m_practiceView;
    std::unique_ptr<TimelinePasses> m_drillPasses;
    SkipSettings m_skip;
    // The English and the Chinese pane follow the voice where they hold time stamps.
    TranscriptFollower* m_englishFollower = nullptr;
    TranscriptFollower* m_chineseFollower = nullptr;
    // Skip, sentences and the drill over the player and Practice.
    PracticeCommands* m_practiceCommands = nullptr;
    QElapsedTimer m_clock;
    QtFilePicker m_filePicker;
    // The transcript panes' logic over the two editors.
    std::unique_ptr<TranscriptEditor> m_englishEditor;
    std::unique_ptr<TranscriptEditor> m_chineseEditor;
    std::unique_ptr<TranscriptPanes> m_transcripts;

    void openRequested(const OpenRequest& request);
};

} // namespace ecolvar
