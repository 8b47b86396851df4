// Form1: carrying the settings into the window at start and out of it at close.
#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include "app/form1.h"
#include "app/status_bar1.h"
#include "browser/drive_ready.h"
#include "browser/folder_tree.h"
#include "browser/path_utils.h"
#include "platform/error_box.h"
#include "platform/run_error.h"
#include "platform/screen_saver.h"
#include "settings/ini_file.h"
#include "settings/settings_catalogue.h"

namespace {

constexpr int kFirstStartWidth = 12180;
constexpr int kFirstStartHeight = 9165;

}  // namespace

void Form1::placeWindow(int leftTwips, int topTwips, int widthTwips, int heightTwips) {
    resize(m_twips.toPixels(static_cast<float>(widthTwips)),
           m_twips.toPixels(static_cast<float>(heightTwips)));
    move(m_twips.toPixels(static_cast<float>(leftTwips)),
         m_twips.toPixels(static_cast<float>(topTwips)));
}

void Form1::centreWindow(int widthTwips, int heightTwips) {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    // The differences are made whole first and then halved with the fraction dropped.
    const auto screenWidth = static_cast<qint64>(m_twips.fromPixels(area.width()));
    const auto screenHeight = static_cast<qint64>(m_twips.fromPixels(area.height()));
    const qint64 left =
        (screenWidth - widthTwips) / 2 + static_cast<qint64>(m_twips.fromPixels(area.x()));
    const qint64 top =
        (screenHeight - heightTwips) / 2 + static_cast<qint64>(m_twips.fromPixels(area.y()));
    placeWindow(static_cast<int>(left), static_cast<int>(top), widthTwips, heightTwips);
}

void Form1::IniDataLoad() {
    clsIniFile ini(m_iniPath);
    QList<BadSetting> bad;
    const StoredSettings s = readStoredSettings(ini, bad);
    // One box for a file that holds values the program cannot use; every other key still loads.
    reportBadSettings(m_dialogs, bad);
    storeInModule(s, m_state);

    // [Boot]
    if (m_state.mScreenSaver == 1) {
        m_screenSaver->SetScreenSaver(false);
    }

    // [FormPos]
    const auto& pos = s.FormPos;
    if (pos.XPosition != 0 || pos.YPosition != 0 || pos.Width != 0 || pos.Height != 0) {
        if (s.Boot.BootPosition == 1) {
            centreWindow(pos.Width, pos.Height);
        } else {
            placeWindow(pos.XPosition, pos.YPosition, pos.Width, pos.Height);
        }
    } else {
        centreWindow(kFirstStartWidth, kFirstStartHeight);
    }
    m_state.mFormWidth = m_twips.fromPixels(width());
    m_state.mFormHeight = m_twips.fromPixels(height());
    // A window closed minimised opens in its normal state.
    m_startWindowState = pos.WindowState == 2 ? Qt::WindowMaximized : Qt::WindowNoState;

    // [MoviePlay]
    Form1Menus::checkOnly(m_menus.Dspsize, m_state.mScreenSize);
    m_menus.Opt[1]->setChecked(s.MoviePlay.MuteState);
    m_menus.Opt[2]->setChecked(s.MoviePlay.ScreenState);
    m_menus.Opt[3]->setChecked(s.MoviePlay.SlideState);
    m_state.mSlideShow = m_menus.Opt[3]->isChecked();

    // [ListView]
    m_menus.MnuGrid->setChecked(s.ListView.GridLine);
    m_menus.MnuIconSet->setChecked(s.ListView.IConDsp);

    // [FilePath]
    m_state.mStartPath = s.FilePath.Path;
    m_state.mStartDrive = GetDriveNm(m_state.mStartPath);
    const QString current = QDir::currentPath();
    const bool stored = !m_state.mStartPath.isEmpty() && m_state.mStartPath != u"0";
    if (!m_startFolderOverride.isEmpty()) {
        m_state.mStartPath = m_startFolderOverride;
        m_state.mStartDrive = GetDriveNm(m_startFolderOverride);
    } else if (s.Boot.SearchPath == 1 && stored && DriveReady(m_dialogs, m_state.mStartPath) &&
               FolderExist(m_state.mStartPath)) {
        if (IsUNCPath(m_state.mStartPath)) {
            m_state.mNetDrive = m_state.mStartDrive;
        }
    } else {
        m_state.mStartPath = current;
        m_state.mStartDrive = GetDriveNm(current);
    }

    // [QuickPath]
    for (int k = 0; k < kQuickPathCount; ++k) {
        const QString& path = s.QuickPath.Path[k];
        m_menus.pass[k]->setText(path);
        m_menus.pass[k]->setVisible(!path.isEmpty());
    }

    // [RealSize], [MediaSize]
    m_layout.RealAudio1[0].height = s.RealSize.RealSizeHeight1;
    m_layout.RealAudio1[0].width = s.RealSize.RealSizeWidth1;
    m_layout.RealAudio1[1].height = s.RealSize.RealSizeHeight2;
    m_layout.RealAudio1[1].width = s.RealSize.RealSizeWidth2;
    m_layout.MediaPlayer1.height = s.MediaSize.MediaSizeHeight;
    m_layout.MediaPlayer1.width = s.MediaSize.MediaSizeWidth;

    // [SpPos]: the bars follow their lines when the window lays out its panes.
    if (s.SpPos.SpLeft) {
        m_layout.picShadow.left = *s.SpPos.SpLeft;
    }
    if (s.SpPos.SpTop) {
        m_layout.picShadow2.top = *s.SpPos.SpTop;
    }

    // [TreeView]
    m_menus.TreeViewLine->setChecked(s.TreeView.TreeViewLine);
}

void Form1::IniDataSave() {
    SavedSettings s;
    const QPoint topLeft = pos();
    s.FormPos.XPosition = m_twips.fromPixels(topLeft.x());
    s.FormPos.YPosition = m_twips.fromPixels(topLeft.y());
    s.FormPos.Width = m_state.mFormWidth;
    s.FormPos.Height = m_state.mFormHeight;
    s.FormPos.WindowState = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    if (isMaximized() || isMinimized()) {
        // Where the window stands in its normal state, not where the maximised frame is.
        const QRect normal = normalGeometry();
        if (normal.isValid()) {
            s.FormPos.XPosition = m_twips.fromPixels(normal.x());
            s.FormPos.YPosition = m_twips.fromPixels(normal.y());
        }
    }
    const QString shown = m_tree->SelectedFolderPath();
    s.FilePath.Path = shown.isEmpty() ? m_state.mStartPath : shown;
    for (int k = 0; k < kQuickPathCount; ++k) {
        s.QuickPath.Path[k] = m_menus.pass[k]->text();
    }
    const int recording = Form1Menus::firstChecked(m_menus.QuickPathSet);
    if (recording >= 0) {
        s.QuickPath.QuickPathValue = static_cast<qint16>(recording);
    }
    s.RealSize = {m_layout.RealAudio1[0].height, m_layout.RealAudio1[0].width,
                  m_layout.RealAudio1[1].height, m_layout.RealAudio1[1].width};
    s.MediaSize = {m_layout.MediaPlayer1.height, m_layout.MediaPlayer1.width};
    s.SpPos = {m_layout.picShadow.left, m_layout.picShadow2.top};
    s.ListView = {m_menus.MnuGrid->isChecked(), m_menus.MnuIconSet->isChecked()};
    const int size = Form1Menus::firstChecked(m_menus.Dspsize);
    if (size >= 0) {
        s.MoviePlay.ScreenSize = static_cast<qint16>(size);
    }
    s.MoviePlay.MuteState = m_menus.Opt[1]->isChecked();
    s.MoviePlay.ScreenState = m_menus.Opt[2]->isChecked();
    s.MoviePlay.SlideState = m_menus.Opt[3]->isChecked();
    s.TreeView.TreeViewLine = m_menus.TreeViewLine->isChecked();

    clsIniFile ini(m_iniPath);
    if (!writeSavedSettings(ini, s) && !m_displayGone) {
        // The settings could not be stored; the user should know before the window is gone.
        ErrMsgDsp(m_dialogs, run_error::kPermissionDenied);
    }
}
