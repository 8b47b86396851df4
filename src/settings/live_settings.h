#pragma once

#include <QObject>
#include <QString>
#include <array>

struct Module1;

// The options the user changes from the menus while the program runs: display size, mute,
// always on top, slide show, grid lines, icon view, tree lines, the quick paths and their
// recording mode, and the marks kept only for the run (quick-path play, tree icons, file view). The
// values live in Module1, where every part reads them; they are changed only through here, so that
// the menus, the toolbar and the status bar that show them hear of every change. A setter always
// announces its value, changed or not: the views simply show it.
class LiveSettings : public QObject {
    Q_OBJECT
public:
    explicit LiveSettings(Module1& module, QObject* parent = nullptr);

    void setScreenSize(int index);  // 0-5; anything else is ignored
    void setMute(bool on);
    void setAlwaysOnTop(bool on);
    void setSlideShow(bool on);
    void setGridLines(bool on);
    void setIconView(bool on);
    void setTreeLines(bool on);
    void setQuickPathPlay(bool on);
    void setTreeIcons(bool on);
    void setFileView(bool on);
    void setQuickPathValue(int mode);  // 0-2; anything else is ignored
    void setQuickPaths(const std::array<QString, 7>& paths);

    // Announces every value, as after a load that filled Module1 directly.
    void announceAll();

signals:
    void screenSizeChanged(int index);
    void muteChanged(bool on);
    void alwaysOnTopChanged(bool on);
    void gridLinesChanged(bool on);
    void treeLinesChanged(bool on);
    void fileViewChanged(bool on);
    void quickPathValueChanged(int mode);
    void quickPathsChanged();
    // Any setting changed, those above and the marks that only menu ticks show (slide show, icon
    // view, quick-path play, tree icons).
    void changed();

private:
    // changed: the mark's own signal, if it has one.
    void setMark(bool& mark, bool on, void (LiveSettings::*changed)(bool) = nullptr);

    Module1& m_module;
};
