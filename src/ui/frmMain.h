// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/ProgressLine.h"
#include "model/MainWindowModel.h"
#include "model/WindowOptions.h"
#include "platform/FileSystem.h"
#include "ui/MainServices.h"

#include <QElapsedTimer>

#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>

struct ControlLayout;
class HelpWindow;
class LookAlikeScan;
class PanelLabel;
class PictureBox;
class QCheckBox;
class QComboBox;
class QFrame;
class QMimeData;
class QProgressBar;
class QPushButton;
class QTimer;
class ShredRun;

// The program's one window: the information panel that describes the target file, the two options,
// the browse and help pictures and the two push buttons. Its handlers carry the names of the controls
// and events they serve (cmdDelete_Click, Form_Load, ...).
//
// Everything of the window runs on the user-interface thread. The delete command overwrites the file on a
// worker thread and waits for it in a nested event loop, so every handler here may run nested inside
// cmdDelete_Click.
class frmMain : public QWidget
{
    Q_OBJECT

public:
    // Passes that the delete command asks of the shredder.
    static constexpr qint16 ShredPasses = 9;

    explicit frmMain(const MainServices& services, QWidget* parent = nullptr);
    ~frmMain() override;

    // The dialog font of the window and of the whole program: one line of it fits the 15-pixel labels.
    static QFont dialogFont();

    // Screen twips per pixel: 1440 divided by the screen's logical dots per inch (15 at 96).
    double twipsPerPixel() const { return m_twipsPerPixel; }
    // Pixels for a figure in twips at this screen's twips per pixel.
    int twipsToPixels(int twips) const;

    // The full path of the file to destroy; empty when none is loaded.
    QString TargetPath;
    // True exactly while Form_Load runs.
    bool IsLoading = false;

    // True while the delete command is overwriting a file.
    bool isShredding() const { return m_model.isShredding(); }

    // Controls, named as in the layout; each also carries its name as objectName.
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdCancel = nullptr;
    QFrame* Frame1 = nullptr;
    QCheckBox* chkQuit = nullptr;
    QCheckBox* chkExplorer = nullptr;
    PictureBox* Image2 = nullptr;
    PanelLabel* lblEmpty = nullptr;
    PictureBox* Image1 = nullptr;
    PanelLabel* lblMsg = nullptr;
    PanelLabel* lblFileAttribute = nullptr;
    PanelLabel* lblFileAttributeTitle = nullptr;
    PanelLabel* lblFilePath = nullptr;
    PanelLabel* lblFilePathTitle = nullptr;
    PanelLabel* lblFileName = nullptr;
    PanelLabel* lblFileNameTitle = nullptr;
    PanelLabel* lblFileSize = nullptr;
    QFrame* Frame2 = nullptr;
    // In place of lblFileName while a command-line name may stand for several files: the choice among
    // them (Alt+W). Hidden otherwise.
    QComboBox* cboLookAlike = nullptr;

    // The running delete command's share done, for screen readers; hidden between runs.
    QProgressBar* progressValue() const { return m_progressValue; }
    // The help window, once it has been opened.
    HelpWindow* helpWindow() const;

public slots:
    // Start-up.
    void Form_Initialize();
    void Form_Load();

    // The information panel: RefreshTarget brings title, labels, their visibility and cmdDelete in line
    // with TargetPath, as the model describes it.
    void RefreshTarget();

    // Recolours the window, the frames and the check boxes from the stored colour scheme.
    void ApplyBackColor();

    void cmdDelete_Click();
    void cmdCancel_Click();
    // A key pressed while "&Beenden" has the focus: F12 and F11 store a colour scheme; every key
    // re-applies the stored one.
    void cmdCancel_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void chkExplorer_Click();
    void chkQuit_Click();
    void Image1_Click();
    void Image2_Click();

    // A close that no outcome may hold back (a logout, a signal): during a run it waits for the file, and
    // then closes whatever the run's outcome.
    void closeWhenRunEnds();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    QWidget* createControl(const ControlLayout& row, QWidget* parent);
    // The drop handler of every drop surface: the first local file of the drop becomes the target.
    void OLEDragDrop(const QMimeData* data);
    void acceptDropsFor(QWidget* surface);
    void refuseDropsFor(QWidget* control);
    bool handleDragEvent(QObject* watched, QEvent* event);
    void endRun();
    // Says the outcome in label to a screen reader, which reads the focused control.
    void announce(PanelLabel* label);
    // The running (or just ended) delete command as the model needs it.
    MainWindowModel::Run currentRun() const;
    modShredder::ShredResult runShredder(const QString& path, const FileIdentity& identity);
    // The look-alikes of a command-line target: looked for when its name holds U+FFFD, chosen among in
    // cboLookAlike, forgotten when another target comes.
    void startLookAlikeScan();
    void forgetLookAlikes();
    void lookAlikesFound(const QString& path, const QStringList& candidates);
    void lookAlikeChosen(int index);
    void showProgress();

    FileSystem& m_fileSystem;
    ShellEntries* m_shellEntries;
    BrowseDialog& m_browseDialog;
    const ProgramInfo m_program;
    const double m_twipsPerPixel;
    // The window's decisions; it also holds the file TargetPath named when it was last described, the
    // only one a run may touch.
    MainWindowModel m_model;
    WindowOptions m_options;

    QSet<QObject*> m_dropSurfaces;
    QSet<QObject*> m_dropRefusers;

    // The running delete command's progress line, shown from half a second into the run.
    const ShredRun* m_run = nullptr;
    QTimer* m_progressTimer = nullptr;
    QElapsedTimer m_runClock;
    ProgressLine m_progressLine;
    QString m_runFileName;
    QString m_runPath;
    QProgressBar* m_progressValue = nullptr;
    QPointer<HelpWindow> m_help;
    bool m_progressShown = false;
    // The command-line target whose name may have been altered (a file manager's entry turns a byte that
    // is no UTF-8 into U+FFFD), while its look-alikes matter; empty otherwise.
    QString m_lookAlikeSource;
    // The files it may stand for, once the scan has ended.
    QStringList m_lookAlikes;
    LookAlikeScan* m_lookAlikeScan = nullptr;
};
