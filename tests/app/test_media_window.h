#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "app/form1_parts.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "platform/scripted_dialogs.h"
#include "player/movie.h"
#include "player/play_list.h"
#include "test_player_setup.h"

// A window that plays the player tests' media (made at build time into QUORVANE_PLAYER_MEDIA),
// as a user reaches it: rows picked by name, keys and clicks on the list.

inline QString playerMedia(const char* name) {
    return QStringLiteral(QUORVANE_PLAYER_MEDIA) + u'/' + QString::fromUtf8(name);
}

// Silent sound of this many seconds at path, small and quick to make.
inline bool makeSound(const QString& path, int seconds) {
    QProcess ffmpeg;
    ffmpeg.start(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
         QStringLiteral("-nostdin"), QStringLiteral("-y"), QStringLiteral("-f"),
         QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("anullsrc=r=8000:cl=mono"),
         QStringLiteral("-t"), QString::number(seconds), QStringLiteral("-c:a"),
         QStringLiteral("pcm_u8"), path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

// An empty folder of that name in dir, emptied when it was there already.
inline QString freshFolder(const QTemporaryDir& dir, const QString& name) {
    const QString folder = dir.filePath(name);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

// A window started on a settings file that shows `folder`, loaded and shown as the program does.
// boot: more lines of the [Boot] section; given: a folder named on the command line, which wins
// over the settings; more: further sections.
struct MediaWindow {
    MediaWindow(const QString& ini, const QString& folder,
                const QByteArray& dspFile =
                    "*.wav;*.avi;*.jpg;*.mov;*.mp4;*.flac;*.webp;*.mp3;*.xyz;*.asx;",
                const QByteArray& boot = {}, const QString& given = {}, const QByteArray& more = {},
                const QString& history = {})
        : form(state, dialogs, ini, setup(history)) {
        QFile file(ini);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("[Boot]\nSearchPath=1\n" + boot + "[FilePath]\nPath=" + folder.toUtf8() +
                       "\n[ListFile]\nDspFile=" + dspFile + "\n" + more);
        }
        file.close();
        form.setStartFolderOverride(given);
        patientWindow(parts);
        form.Form_Load();
        form.showAsLoaded();
        form.openStartFolder();
    }

    FileList& list() { return parts.list(); }
    PlayList& play() { return parts.playList(); }
    const FileRow& row(const QString& name) {
        return list().model().row(list().rowOfKey(list().ListedFolder() + u'/' + name));
    }
    QString selectedName() {
        const int r = list().selectedRow();
        return r < 0 ? QString() : list().model().row(r).text;
    }
    // The middle of a row's name, in the list's viewport.
    QPoint centreOfRow(const QString& name) {
        const int r = list().rowOfKey(list().ListedFolder() + u'/' + name);
        return list().view().visualRect(list().model().index(r, 0)).center();
    }
    void doubleClick(const QString& name) {
        QWidget* viewport = list().view().viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, centreOfRow(name));
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, centreOfRow(name));
    }
    void key(int k, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(parts.ListView1(), static_cast<Qt::Key>(k), modifiers);
    }
    int playState() { return parts.MovieObj().GetPlayState(); }
    // A desktop with no program for anything: what it was asked to open is kept.
    // history: the play history's file; none kept when empty.
    Form1PlayerSetup setup(const QString& history) {
        Form1PlayerSetup s = testPlayerSetup();
        s.historyFile = history;
        s.openUrl = [this](const QUrl& url) {
            opened.append(url.toLocalFile());
            return false;
        };
        return s;
    }

    QStringList opened;

    Module1 state;
    ScriptedDialogs dialogs;
    Form1 form;
    Form1Parts parts{form};
};
