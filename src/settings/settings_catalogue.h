#pragma once

#include <QList>
#include <QString>
#include <array>
#include <optional>

#include "settings/module1.h"

class clsIniFile;
class Dialogs;

// A stored value the program could not use: where it stands and the run-time error number that
// reading it raises (13 not a number, 6 out of range, 9 not a valid index, 380 not a valid
// window state). The reader carries on with the key's default.
struct BadSetting {
    QString section;
    QString key;
    int number = 0;
};

// The result of converting one stored text: the value, or the error number the conversion
// raises (0 when none). The converters below follow the ordinary conversions of stored text:
// decimal numbers with an optional sign and blanks around them, fractions rounded to the
// nearest integer with ties to even, the words True and False in any case.
template <typename T>
struct Converted {
    T value{};
    int error = 0;
};
Converted<qint16> textToInt16(const QString& text);
Converted<bool> textToBool(const QString& text);
Converted<float> textToSingle(const QString& text);

// Reads typed values out of one settings file, each with the default the program works with
// when the key is missing. A value that cannot be used gives that same default and is noted in
// the bad list, so that one bad key never keeps the keys after it from loading.
class SettingsReader {
public:
    SettingsReader(clsIniFile& ini, QList<BadSetting>& bad) : m_ini(ini), m_bad(bad) {}

    // Stored text converted to a 16-bit integer; 0 when missing.
    qint16 stringInt16(const QString& section, const QString& key);
    // The leading digits of the stored text as a 16-bit integer; 0 when missing.
    qint16 integerInt16(const QString& section, const QString& key);
    // The leading digits of the stored text; 0 when missing. Never bad.
    qint32 integerInt32(const QString& section, const QString& key);
    // True / False or a number (nonzero is true); false when missing.
    bool stringBool(const QString& section, const QString& key);
    // Stored text converted to a single-precision number; 0 when missing.
    float stringSingle(const QString& section, const QString& key);
    // As stringSingle, but std::nullopt when the key is missing or stored as "0" (or bad).
    std::optional<float> stringSingleUnlessZero(const QString& section, const QString& key);
    // The stored text; "0" when missing.
    QString string(const QString& section, const QString& key);

    // value when it lies in 0..last; otherwise 0, and the key is noted bad with number.
    qint16 within(const QString& section, const QString& key, qint16 value, qint16 last,
                  int number);
    void reject(const QString& section, const QString& key, int number);

private:
    QString stored(const QString& section, const QString& key);
    // The converted value; a conversion error notes the key as bad (the value is then its default).
    template <typename T>
    T accept(const Converted<T>& result, const QString& section, const QString& key);

    clsIniFile& m_ini;
    QList<BadSetting>& m_bad;
};

// Sections the start-up reads and the exit save writes alike.
struct ListViewKeys {
    bool GridLine = false;
    bool IConDsp = false;
};
struct RealSizeKeys {
    float RealSizeHeight1 = 0;
    float RealSizeWidth1 = 0;
    float RealSizeHeight2 = 0;
    float RealSizeWidth2 = 0;
};
struct MediaSizeKeys {
    float MediaSizeHeight = 0;
    float MediaSizeWidth = 0;
};
struct TreeViewKeys {
    bool TreeViewLine = false;
};

inline constexpr int kQuickPathCount = 7;

// Everything the start-up reads from the settings file, one field per key, each starting at the
// value the program works with when the key is missing (a first start).
struct StoredSettings {
    struct BootKeys {
        qint16 SearchPath = 0;
        qint16 BootPosition = 0;
        qint16 ScreenSaver = 0;
        qint16 QuickPathLoad = 0;
        qint16 mousePlay = 0;
    } Boot;
    // Read as 32-bit values: a large or multi-monitor desktop stores positions past 32767 twips.
    struct FormPosKeys {
        qint32 XPosition = 0;
        qint32 YPosition = 0;
        qint32 Width = 0;
        qint32 Height = 0;
        qint16 WindowState = 0;  // 0 normal, 1 minimised, 2 maximised
    } FormPos;
    struct MoviePlayKeys {
        qint16 ScreenSize = 0;  // 0-5
        bool MuteState = false;
        bool ScreenState = false;
        bool SlideState = false;
    } MoviePlay;
    ListViewKeys ListView;
    struct FilePathKeys {
        QString Path = QStringLiteral("0");  // "0": not stored
    } FilePath;
    struct QuickPathKeys {
        // The captions of the quick-path items, Path[0] from key Path1: empty for a free slot
        // (stored empty or "0"), and all empty when QuickPathLoad asks not to load them.
        std::array<QString, kQuickPathCount> Path;
        qint16 QuickPathValue = 0;  // 0-2
    } QuickPath;
    RealSizeKeys RealSize;
    MediaSizeKeys MediaSize;
    struct SpPosKeys {
        // std::nullopt when stored as "0" or missing: the splitter stays where the layout puts it.
        std::optional<float> SpLeft;
        std::optional<float> SpTop;
    } SpPos;
    struct ListFileKeys {
        // Already in the form mDspFile holds: without the stored final ";", or the default list.
        QString DspFile = defaultDspFile();
    } ListFile;
    struct SlideShowKeys {
        qint16 SlideTime = 0;
        qint16 SlideType = 0;  // 0-1
    } SlideShow;
    TreeViewKeys TreeView;
    struct FileViewKeys {
        qint16 HiddenAtr = 0;
        qint16 SystemAtr = 0;
        qint16 ReadOnlyAtr = 0;
        qint16 FolderDsp = 0;
        qint16 AutoColumFlg = 0;
    } FileView;
};

// Reads every key of the start-up in its order. Bad values take their defaults and are listed
// in bad, in the order they were met.
StoredSettings readStoredSettings(clsIniFile& ini, QList<BadSetting>& bad);

// Copies the settings that live in shared variables: everything but the start folder (which
// depends on the volumes) and what lives in the window's menus and controls.
void storeInModule(const StoredSettings& settings, Module1& module);

// Shows the error box once for a load that met bad values, with the number of the first.
void reportBadSettings(Dialogs& dialogs, const QList<BadSetting>& bad);

// The window state the exit save writes, in the units the file keeps (twips).
struct SavedSettings {
    struct FormPosKeys {
        double XPosition = 0;  // stored rounded to the nearest integer
        double YPosition = 0;
        qint32 Width = 0;  // the normal-state size (mFormWidth, mFormHeight)
        qint32 Height = 0;
        qint16 WindowState = 0;
    } FormPos;
    struct FilePathKeys {
        QString Path;
    } FilePath;
    struct QuickPathKeys {
        std::array<QString, kQuickPathCount> Path;  // empty for a free slot
        std::optional<qint16> QuickPathValue;       // not written when no mode is ticked
    } QuickPath;
    RealSizeKeys RealSize;
    MediaSizeKeys MediaSize;
    struct SpPosKeys {
        float SpLeft = 0;
        float SpTop = 0;
    } SpPos;
    ListViewKeys ListView;
    struct MoviePlayKeys {
        std::optional<qint16> ScreenSize;  // not written when no display size is ticked
        bool MuteState = false;
        bool ScreenState = false;
        bool SlideState = false;
    } MoviePlay;
    TreeViewKeys TreeView;
};

// Writes the exit save in its order, as one write of the file. Sections that only the dialogs
// change are left as they are. False when the file could not be written.
bool writeSavedSettings(clsIniFile& ini, const SavedSettings& settings);
