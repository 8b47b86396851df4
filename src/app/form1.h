#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>

#include "app/form1_menus.h"
#include "app/pane_layout.h"
#include "browser/image_list.h"
#include "settings/module1.h"

class Dialogs;
class IntervalTimer;
class QComboBox;
class QSlider;
class ScreenSaverControl;
class ShadowLine;
class SplitterBar;
class StatusBar1;
class Toolbar1;

// Form1: the main window. It owns every control (named as the program knows them), lays the panes
// out, carries the settings in and out, and hands each part of the program the controls and
// services it works on. The work itself is done by those parts.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // iniPath: the settings file this window loads at start and saves at close.
    Form1(Module1& state, Dialogs& dialogs, QString iniPath, QWidget* parent = nullptr);
    ~Form1() override;

    // The caption the playing file's captions are built on ("Quorvane Ver1.1.6").
    QString TitleText() const { return m_titleText; }

    // The load sequence: brings every part up and reads the settings. Run once, before showing.
    void Form_Load();
    // The unload sequence: stops playback, saves the settings, gives back what was borrowed.
    // Runs once, however the window is closed.
    void Form_Unload();
    bool isUnloaded() const { return m_unloaded; }

    // The window state the settings asked for, to be applied when the window is shown.
    Qt::WindowStates startWindowState() const { return m_startWindowState; }
    // Shows the window in the state the settings asked for.
    void showAsLoaded();

    // Controls.
    const Form1Menus& menus() const { return m_menus; }
    Toolbar1* toolbar() const { return m_toolbar; }
    StatusBar1* statusBar1() const { return m_statusBar; }
    QSlider* Slider1() const { return m_slider; }
    QComboBox* ImageCombo1() const { return m_imageCombo; }
    QWidget* TreeView1() const { return m_treeView; }
    QWidget* ListView1() const { return m_listView; }
    QWidget* MediaPlayer1() const { return m_mediaPlayer; }
    QWidget* RealAudio1(int index) const { return m_realAudio.at(index); }
    SplitterBar* picSlider() const { return m_picSlider; }
    SplitterBar* picSlider2() const { return m_picSlider2; }
    ShadowLine* picShadow() const { return m_picShadow; }
    ShadowLine* picShadow2() const { return m_picShadow2; }
    IntervalTimer* Timer1() const { return m_timer1; }
    IntervalTimer* Timer2() const { return m_timer2; }
    QWidget* clientArea() const { return m_client; }
    ImageList& imlFile() { return m_images; }

    // Layout, in twips.
    const PaneLayout& paneLayout() const { return m_layout; }
    const Twips& twips() const { return m_twips; }
    WindowMetrics windowMetrics() const;
    bool SplitDragFlg() const { return m_splitDragFlg; }
    void ApplyVSplit();
    void ApplyHSplit();

    // Settings.
    void IniDataLoad();
    void IniDataSave();

    // The folder the settings save as the one shown at exit; the tree sets it later.
    void setShownFolderProvider(std::function<QString()> provider) {
        m_shownFolder = std::move(provider);
    }

    // Commands of the options menu that only change the window's own state.
    void Dspsize_Click(int index);
    void Opt_Click(int index);
    void TreeViewStyle_Click(QAction* item);

signals:
    // The unload sequence has run: the process should end.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void wireMenus();
    void wireSplitters();
    void Form_Resize();
    void applyLayout();
    void showContextMenu(QMenu* menu, const QPoint& globalPos, bool restartTimer);
    void placeWindow(int leftTwips, int topTwips, int widthTwips, int heightTwips);
    void centreWindow(int widthTwips, int heightTwips);
    void setAlwaysOnTop(bool on);
    QString dspsizeCaption(int index) const;

    Module1& m_state;
    Dialogs& m_dialogs;
    QString m_iniPath;
    QString m_titleText;
    ImageList m_images;
    Twips m_twips;
    PaneLayout m_layout;
    bool m_splitDragFlg = false;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_inResize = false;
    Qt::WindowStates m_startWindowState = Qt::WindowNoState;
    std::function<QString()> m_shownFolder;
    std::unique_ptr<ScreenSaverControl> m_screenSaver;

    Form1Menus m_menus;
    QWidget* m_client = nullptr;
    Toolbar1* m_toolbar = nullptr;
    StatusBar1* m_statusBar = nullptr;
    QSlider* m_slider = nullptr;
    QComboBox* m_imageCombo = nullptr;
    QWidget* m_treeView = nullptr;
    QWidget* m_listView = nullptr;
    QWidget* m_mediaPlayer = nullptr;
    std::array<QWidget*, 2> m_realAudio{};
    SplitterBar* m_picSlider = nullptr;
    SplitterBar* m_picSlider2 = nullptr;
    ShadowLine* m_picShadow = nullptr;
    ShadowLine* m_picShadow2 = nullptr;
    IntervalTimer* m_timer1 = nullptr;
    IntervalTimer* m_timer2 = nullptr;
};
