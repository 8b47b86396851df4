#include "settings/settings_catalogue.h"

#include <QRegularExpression>
#include <QVariant>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/error_box.h"
#include "platform/run_error.h"
#include "settings/ini_file.h"

using namespace Qt::StringLiterals;

namespace {

// Parses a stored number: blanks, an optional sign, blanks, then decimal digits with an optional
// fraction and exponent. Nothing else is a number, not even "inf" or an empty text.
template <typename T>
Converted<T> parseNumber(const QString& text) {
    static const QRegularExpression pattern(u"^([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"_s);
    QString body = text.trimmed();
    bool negative = false;
    if (!body.isEmpty() && (body.front() == u'-' || body.front() == u'+')) {
        negative = body.front() == u'-';
        body = body.mid(1).trimmed();
    }
    if (!pattern.match(body).hasMatch()) {
        return {T{}, run_error::kTypeMismatch};
    }
    const QByteArray latin = body.toLatin1();
    T value{};
    const auto [end, ec] = std::from_chars(latin.constData(), latin.constData() + latin.size(),
                                           value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Too small to hold is zero; too large overflows.
        const qsizetype e = latin.indexOf('e') >= 0 ? latin.indexOf('e') : latin.indexOf('E');
        if (e >= 0 && latin.at(e + 1) == '-') {
            return {T{}, 0};
        }
        return {T{}, run_error::kOverflow};
    }
    if (ec != std::errc() || end != latin.constData() + latin.size()) {
        return {T{}, run_error::kTypeMismatch};
    }
    return {negative ? -value : value, 0};
}

const QString kZero = u"0"_s;
// A window state the window cannot take.
constexpr int kInvalidPropertyValue = 380;

}  // namespace

Converted<qint16> textToInt16(const QString& text) {
    const Converted<double> number = parseNumber<double>(text);
    if (number.error != 0) {
        return {0, number.error};
    }
    const double rounded = std::nearbyint(number.value);  // the default rounding: ties to even
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max()) {
        return {0, run_error::kOverflow};
    }
    return {static_cast<qint16>(rounded), 0};
}

Converted<bool> textToBool(const QString& text) {
    const QString word = text.trimmed();
    if (word.compare(u"True"_s, Qt::CaseInsensitive) == 0) {
        return {true, 0};
    }
    if (word.compare(u"False"_s, Qt::CaseInsensitive) == 0) {
        return {false, 0};
    }
    const Converted<double> number = parseNumber<double>(text);
    if (number.error != 0) {
        return {false, number.error};
    }
    return {number.value != 0, 0};
}

Converted<float> textToSingle(const QString& text) {
    return parseNumber<float>(text);
}

QString SettingsReader::stored(const QString& section, const QString& key) {
    return m_ini.GetStrValue(QString(), section, key, kZero);
}

void SettingsReader::reject(const QString& section, const QString& key, int number) {
    m_bad.append({section, key, number});
}

template <typename T>
T SettingsReader::accept(const Converted<T>& result, const QString& section, const QString& key) {
    if (result.error != 0) {
        reject(section, key, result.error);
    }
    return result.value;
}

qint16 SettingsReader::stringInt16(const QString& section, const QString& key) {
    return accept(textToInt16(stored(section, key)), section, key);
}

qint16 SettingsReader::integerInt16(const QString& section, const QString& key) {
    const qint32 value = integerInt32(section, key);
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max()) {
        reject(section, key, run_error::kOverflow);
        return 0;
    }
    return static_cast<qint16>(value);
}

qint32 SettingsReader::integerInt32(const QString& section, const QString& key) {
    return m_ini.GetIntValue(QString(), section, key, 0);
}

bool SettingsReader::stringBool(const QString& section, const QString& key) {
    return accept(textToBool(stored(section, key)), section, key);
}

float SettingsReader::stringSingle(const QString& section, const QString& key) {
    return accept(textToSingle(stored(section, key)), section, key);
}

std::optional<float> SettingsReader::stringSingleUnlessZero(const QString& section,
                                                            const QString& key) {
    const QString text = stored(section, key);
    if (text == kZero) {
        return std::nullopt;
    }
    const Converted<float> result = textToSingle(text);
    if (result.error != 0) {
        reject(section, key, result.error);
        return std::nullopt;
    }
    return result.value;
}

QString SettingsReader::string(const QString& section, const QString& key) {
    return stored(section, key);
}

qint16 SettingsReader::within(const QString& section, const QString& key, qint16 value, qint16 last,
                              int number) {
    if (value < 0 || value > last) {
        reject(section, key, number);
        return 0;
    }
    return value;
}

StoredSettings readStoredSettings(clsIniFile& ini, QList<BadSetting>& bad) {
    SettingsReader read(ini, bad);
    StoredSettings s;

    const QString boot = u"Boot"_s;
    s.Boot.SearchPath = read.stringInt16(boot, u"SearchPath"_s);
    s.Boot.BootPosition = read.stringInt16(boot, u"BootPosition"_s);
    s.Boot.ScreenSaver = read.stringInt16(boot, u"ScreenSaver"_s);
    s.Boot.QuickPathLoad = read.integerInt16(boot, u"QuickPathLoad"_s);
    s.Boot.mousePlay = read.integerInt16(boot, u"mousePlay"_s);

    const QString formPos = u"FormPos"_s;
    s.FormPos.XPosition = read.integerInt32(formPos, u"XPosition"_s);
    s.FormPos.YPosition = read.integerInt32(formPos, u"YPosition"_s);
    s.FormPos.Width = read.integerInt32(formPos, u"Width"_s);
    s.FormPos.Height = read.integerInt32(formPos, u"Height"_s);
    // No window takes a state other than normal, minimised or maximised.
    const QString windowState = u"WindowState"_s;
    s.FormPos.WindowState = read.within(
        formPos, windowState, read.integerInt16(formPos, windowState), 2, kInvalidPropertyValue);

    const QString moviePlay = u"MoviePlay"_s;
    const QString screenSize = u"ScreenSize"_s;
    s.MoviePlay.ScreenSize =
        read.within(moviePlay, screenSize, read.stringInt16(moviePlay, screenSize), 5,
                    run_error::kSubscriptOutOfRange);
    s.MoviePlay.MuteState = read.stringBool(moviePlay, u"MuteState"_s);
    s.MoviePlay.ScreenState = read.stringBool(moviePlay, u"ScreenState"_s);
    s.MoviePlay.SlideState = read.stringBool(moviePlay, u"SlideState"_s);

    const QString listView = u"ListView"_s;
    s.ListView.GridLine = read.stringBool(listView, u"GridLine"_s);
    s.ListView.IConDsp = read.stringBool(listView, u"IConDsp"_s);

    s.FilePath.Path = read.string(u"FilePath"_s, u"Path"_s);

    const QString quickPath = u"QuickPath"_s;
    if (s.Boot.QuickPathLoad == 0) {
        for (int k = 0; k < kQuickPathCount; ++k) {
            const QString path = read.string(quickPath, u"Path"_s + QString::number(k + 1));
            s.QuickPath.Path[k] = path == kZero ? QString() : path;
        }
    }
    // The mode indexes the three recording items of the menu.
    const QString quickPathValue = u"QuickPathValue"_s;
    s.QuickPath.QuickPathValue =
        read.within(quickPath, quickPathValue, read.integerInt16(quickPath, quickPathValue), 2,
                    run_error::kSubscriptOutOfRange);

    const QString realSize = u"RealSize"_s;
    s.RealSize.RealSizeHeight1 = read.stringSingle(realSize, u"RealSizeHeight1"_s);
    s.RealSize.RealSizeWidth1 = read.stringSingle(realSize, u"RealSizeWidth1"_s);
    s.RealSize.RealSizeHeight2 = read.stringSingle(realSize, u"RealSizeHeight2"_s);
    s.RealSize.RealSizeWidth2 = read.stringSingle(realSize, u"RealSizeWidth2"_s);

    const QString mediaSize = u"MediaSize"_s;
    s.MediaSize.MediaSizeHeight = read.stringSingle(mediaSize, u"MediaSizeHeight"_s);
    s.MediaSize.MediaSizeWidth = read.stringSingle(mediaSize, u"MediaSizeWidth"_s);

    const QString spPos = u"SpPos"_s;
    s.SpPos.SpLeft = read.stringSingleUnlessZero(spPos, u"SpLeft"_s);
    s.SpPos.SpTop = read.stringSingleUnlessZero(spPos, u"SpTop"_s);

    // Stored with a final ";" after the last pattern; a hand-written list may lack it.
    const QString dspFile = read.string(u"ListFile"_s, u"DspFile"_s);
    if (!dspFile.isEmpty() && dspFile != kZero) {
        s.ListFile.DspFile = dspFile.endsWith(u';') ? dspFile.chopped(1) : dspFile;
    }

    const QString slideShow = u"SlideShow"_s;
    s.SlideShow.SlideTime = read.stringInt16(slideShow, u"SlideTime"_s);
    const QString slideType = u"SlideType"_s;
    s.SlideShow.SlideType =
        read.within(slideShow, slideType, read.stringInt16(slideShow, slideType), 1,
                    run_error::kSubscriptOutOfRange);

    s.TreeView.TreeViewLine = read.stringBool(u"TreeView"_s, u"TreeViewLine"_s);

    const QString fileView = u"FileView"_s;
    s.FileView.HiddenAtr = read.stringInt16(fileView, u"HiddenAtr"_s);
    s.FileView.SystemAtr = read.stringInt16(fileView, u"SystemAtr"_s);
    s.FileView.ReadOnlyAtr = read.stringInt16(fileView, u"ReadOnlyAtr"_s);
    s.FileView.FolderDsp = read.stringInt16(fileView, u"FolderDsp"_s);
    s.FileView.AutoColumFlg = read.stringInt16(fileView, u"AutoColumFlg"_s);
    return s;
}

void storeInModule(const StoredSettings& settings, Module1& module) {
    module.mScreenSaver = settings.Boot.ScreenSaver;
    module.mMousePlay = settings.Boot.mousePlay;
    module.mScreenSize = settings.MoviePlay.ScreenSize;
    module.mSlideShow = settings.MoviePlay.SlideState;
    module.mQuickPathValue = settings.QuickPath.QuickPathValue;
    module.mDspFile = settings.ListFile.DspFile;
    module.mSlideTime = settings.SlideShow.SlideTime;
    module.mSlideType = settings.SlideShow.SlideType;
    module.mHiddenAtr = settings.FileView.HiddenAtr;
    module.mSystemAtr = settings.FileView.SystemAtr;
    module.mReadOnlyAtr = settings.FileView.ReadOnlyAtr;
    module.mFolderDsp = settings.FileView.FolderDsp;
    module.mAutoColumFlg = settings.FileView.AutoColumFlg;
}

void reportBadSettings(Dialogs& dialogs, const QList<BadSetting>& bad) {
    if (!bad.isEmpty()) {
        ErrMsgDsp(dialogs, bad.first().number);
    }
}

namespace {

qint32 nearestInt32(double value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    const double rounded = std::nearbyint(value);
    return static_cast<qint32>(std::clamp<double>(rounded, std::numeric_limits<qint32>::min(),
                                                  std::numeric_limits<qint32>::max()));
}

}  // namespace

bool writeSavedSettings(clsIniFile& ini, const SavedSettings& settings) {
    IniUpdateGuard update(ini);
    bool ok = true;
    const auto put = [&](const QString& section, const QString& key, const QVariant& value) {
        ok = ini.SetValue(value, QString(), section, key) && ok;
    };
    const auto putSingle = [&](const QString& section, const QString& key, float value) {
        put(section, key, QVariant::fromValue(value));
    };

    const QString formPos = u"FormPos"_s;
    put(formPos, u"XPosition"_s, nearestInt32(settings.FormPos.XPosition));
    put(formPos, u"YPosition"_s, nearestInt32(settings.FormPos.YPosition));
    put(formPos, u"Width"_s, settings.FormPos.Width);
    put(formPos, u"Height"_s, settings.FormPos.Height);
    put(formPos, u"WindowState"_s, int(settings.FormPos.WindowState));

    put(u"FilePath"_s, u"Path"_s, settings.FilePath.Path);

    const QString quickPath = u"QuickPath"_s;
    for (int k = 0; k < kQuickPathCount; ++k) {
        put(quickPath, u"Path"_s + QString::number(k + 1), settings.QuickPath.Path[k]);
    }
    if (settings.QuickPath.QuickPathValue) {
        put(quickPath, u"QuickPathValue"_s, int(*settings.QuickPath.QuickPathValue));
    }

    const QString realSize = u"RealSize"_s;
    putSingle(realSize, u"RealSizeHeight1"_s, settings.RealSize.RealSizeHeight1);
    putSingle(realSize, u"RealSizeWidth1"_s, settings.RealSize.RealSizeWidth1);
    putSingle(realSize, u"RealSizeHeight2"_s, settings.RealSize.RealSizeHeight2);
    putSingle(realSize, u"RealSizeWidth2"_s, settings.RealSize.RealSizeWidth2);

    const QString mediaSize = u"MediaSize"_s;
    putSingle(mediaSize, u"MediaSizeHeight"_s, settings.MediaSize.MediaSizeHeight);
    putSingle(mediaSize, u"MediaSizeWidth"_s, settings.MediaSize.MediaSizeWidth);

    const QString spPos = u"SpPos"_s;
    putSingle(spPos, u"SpLeft"_s, settings.SpPos.SpLeft);
    putSingle(spPos, u"SpTop"_s, settings.SpPos.SpTop);

    const QString listView = u"ListView"_s;
    put(listView, u"GridLine"_s, settings.ListView.GridLine);
    put(listView, u"IConDsp"_s, settings.ListView.IConDsp);

    const QString moviePlay = u"MoviePlay"_s;
    if (settings.MoviePlay.ScreenSize) {
        put(moviePlay, u"ScreenSize"_s, int(*settings.MoviePlay.ScreenSize));
    }
    put(moviePlay, u"MuteState"_s, settings.MoviePlay.MuteState);
    put(moviePlay, u"ScreenState"_s, settings.MoviePlay.ScreenState);
    put(moviePlay, u"SlideState"_s, settings.MoviePlay.SlideState);

    put(u"TreeView"_s, u"TreeViewLine"_s, settings.TreeView.TreeViewLine);

    return update.commit() && ok;
}
