// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/MainWindowPresenter.h"
#include "model/MainWindowView.h"
#include "ui/MainServices.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

struct ControlLayout;
class HelpWindow;
class LookAlikeScan;
class PanelLabel;
class PictureBox;
class QCheckBox;
class QComboBox;
class QEventLoop;
class QFrame;
class QProgressBar;
class QPushButton;
class QTimer;

// The program's one window: the information panel that describes the target file, the two options, the
// browse and help pictures and the two push buttons. It builds its controls from WindowLayout, draws what
// the presenter (MainWindowPresenter) tells it and hands its events on to the handlers named after them.
//
// Everything of the window runs on the user-interface thread. The delete command overwrites the file on a
// worker thread and waits for it in a nested event loop, so every handler may run nested inside
// cmdDelete_Click.
class frmMain : public QWidget, public MainWindowView
{
    Q_OBJECT

public:
    explicit frmMain(const MainServices& services, QWidget* parent = nullptr);
    ~frmMain() override;

    // The dialog font of the window and of the whole program: one line of it fits the 15-pixel labels.
    static QFont dialogFont();

    // Screen twips per pixel: 1440 divided by the screen's logical dots per inch (15 at 96).
    double twipsPerPixel() const { return m_twipsPerPixel; }
    int twipsToPixels(int twips) const { return m_presenter.twipsToPixels(twips); }

    // The full path of the file to destroy; empty when none is loaded.
    QString TargetPath() const;
    // True exactly while Form_Load runs.
    bool IsLoading() const { return m_presenter.IsLoading; }
    bool isShredding() const { return m_presenter.isShredding(); }

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
    void Form_Initialize();
    void Form_Load() { m_presenter.Form_Load(); }
    void RefreshTarget() { m_presenter.RefreshTarget(); }
    void ApplyBackColor() { m_presenter.ApplyBackColor(); }
    void cmdDelete_Click() { m_presenter.cmdDelete_Click(); }
    void cmdCancel_Click() { m_presenter.cmdCancel_Click(); }
    // A key pressed while "&Beenden" has the focus.
    void cmdCancel_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void chkExplorer_Click() { m_presenter.chkExplorer_Click(); }
    void chkQuit_Click() { m_presenter.chkQuit_Click(); }
    void Image1_Click() { m_presenter.Image1_Click(); }
    void Image2_Click() { m_presenter.Image2_Click(); }
    // A close that no outcome may hold back (a logout, a signal).
    void closeWhenRunEnds() { m_presenter.closeWhenRunEnds(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // MainWindowView
    bool isOpen() const override { return true; }
    void setTitle(const std::string& text) override;
    void setControlText(std::string_view control, const std::string& text) override;
    void setSpokenText(std::string_view control, const std::string& text) override;
    void setControlToolTip(std::string_view control, const std::string& text) override;
    void setControlVisible(std::string_view control, bool visible) override;
    void setControlEnabled(std::string_view control, bool enabled) override;
    void setChecked(std::string_view control, bool checked) override;
    bool isChecked(std::string_view control) const override;
    void setChoices(std::string_view control, const std::vector<Choice>& entries) override;
    void setProgress(int percent) override;
    void setBackColor(std::int32_t colorNumber) override;
    std::unique_ptr<TextMeasure> measure(std::string_view control) const override;
    NumberFormat numberFormat() const override;
    void focusControl(std::string_view control) override;
    std::string focusedControl() const override;
    void dropFocus() override;
    bool screenReaderListening() const override;
    void announce(std::string_view control) override;
    void startProgressTimer(int ms) override;
    void stopProgressTimer() override;
    std::function<void()> runEndNotice() override;
    void awaitRun() override;
    bool startLookAlikeScan(const std::filesystem::path& path) override;
    void stopLookAlikeScan() override;
    void* dialogOwner() override { return static_cast<QWidget*>(this); }
    void openHelp() override;
    void closeWindow() override { close(); }

    QWidget* named(std::string_view control) const;
    void createControls();
    QWidget* createControl(const ControlLayout& row, QWidget* parent);

    const ProgramInfo m_program;
    const double m_twipsPerPixel;
    // The controls by their names in the layout.
    QHash<QString, QWidget*> m_byName;
    MainWindowPresenter m_presenter;
    QTimer* m_progressTimer = nullptr;
    // The nested loop that waits for the running delete command.
    std::shared_ptr<QEventLoop> m_runLoop;
    QProgressBar* m_progressValue = nullptr;
    QPointer<HelpWindow> m_help;
    LookAlikeScan* m_lookAlikeScan = nullptr;
};
