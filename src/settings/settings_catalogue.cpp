#include "settings/settings_catalogue.h"

#include <QRegularExpression>
#include <QVariant>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/error_box.h"
#include "platform/run_error.h"
#include "settings/file_types.h"
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
const QString kTrue = u"True"_s;

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

bool SettingValues::has(Setting setting, int index) const {
    return m_values.contains(slot(setting, index));
}

void SettingValues::set(Setting setting, const QVariant& value, int index) {
    m_values.insert(slot(setting, index), value);
}

void SettingValues::unset(Setting setting, int index) {
    m_values.remove(slot(setting, index));
}

QVariant SettingValues::value(Setting setting, int index) const {
    const auto found = m_values.constFind(slot(setting, index));
    return found != m_values.cend() ? *found : defaultOf(setting);
}

QVariant SettingValues::defaultOf(Setting setting) {
    const SettingEntry& entry = entryOf(setting);
    switch (entry.reading) {
        case Reading::Text:
            return kZero;
        case Reading::Path:
        case Reading::NotRead:
            return QString();
        case Reading::PatternList:
            return defaultDspFile();
        case Reading::TextBool:
            return entry.fallback != 0;
        case Reading::TextSingle:
            return static_cast<float>(entry.fallback);
        case Reading::TextInt16:
        case Reading::DigitsInt16:
        case Reading::DigitsInt32:
            break;
    }
    return static_cast<int>(entry.fallback);
}

namespace {

// Reads one key as its schema says; a value it cannot use is noted and gives the default.
class KeyReader {
public:
    KeyReader(clsIniFile& ini, QList<BadSetting>& bad) : m_ini(ini), m_bad(bad) {}

    QVariant read(const SettingEntry& entry, int index) {
        m_entry = &entry;
        m_key = keyName(entry, index);
        const QString section = QString::fromUtf16(entry.section);
        switch (entry.reading) {
            case Reading::Text:
                return stored(section);
            case Reading::Path: {
                const QString text = stored(section);
                return text == kZero ? QString() : text;
            }
            case Reading::PatternList: {
                // Stored with a final ";" after the last pattern; a hand-written list may lack it.
                const QString text = stored(section);
                if (text.isEmpty() || text == kZero) {
                    return defaultDspFile();
                }
                return text.endsWith(u';') ? text.chopped(1) : text;
            }
            case Reading::TextInt16:
                return accept(textToInt16(stored(section)));
            case Reading::DigitsInt16: {
                const qint32 value = m_ini.GetIntValue(QString(), section, m_key, 0);
                if (value < std::numeric_limits<qint16>::min() ||
                    value > std::numeric_limits<qint16>::max()) {
                    return reject(run_error::kOverflow);
                }
                return inRange(value);
            }
            case Reading::DigitsInt32:
                return inRange(m_ini.GetIntValue(QString(), section, m_key, 0));
            case Reading::TextBool:
                // Missing reads as the key's default: "0" for most, ticked for some.
                return accept(textToBool(m_ini.GetStrValue(QString(), section, m_key,
                                                           entry.fallback != 0 ? kTrue : kZero)));
            case Reading::TextSingle:
                return accept(textToSingle(stored(section)));
            case Reading::NotRead:
                break;
        }
        return {};
    }

private:
    QString stored(const QString& section) {
        return m_ini.GetStrValue(QString(), section, m_key, kZero);
    }

    QVariant reject(int number) {
        m_bad.append({QString::fromUtf16(m_entry->section), m_key, number});
        return SettingValues::defaultOf(m_entry->id);
    }

    template <typename T>
    QVariant accept(const Converted<T>& converted) {
        if (converted.error != 0) {
            return reject(converted.error);
        }
        if constexpr (std::is_same_v<T, bool>) {
            return converted.value;
        } else {
            return inRange(converted.value);
        }
    }

    template <typename T>
    QVariant inRange(T value) {
        const double number = static_cast<double>(value);
        if (number != m_entry->fallback && (number < m_entry->low || number > m_entry->high)) {
            return reject(m_entry->error);
        }
        if constexpr (std::is_floating_point_v<T>) {
            return static_cast<float>(value);
        } else {
            return static_cast<int>(value);
        }
    }

    clsIniFile& m_ini;
    QList<BadSetting>& m_bad;
    const SettingEntry* m_entry = nullptr;
    QString m_key;
};

// The keys of one section in the order they are written: the schema's order, except that
// neighbouring numbered keys of the same count go number by number.
QList<std::pair<const SettingEntry*, int>> keysOf(QStringView section) {
    QList<std::pair<const SettingEntry*, int>> keys;
    const std::span<const SettingEntry> schema = settingsSchema();
    for (std::size_t i = 0; i < schema.size();) {
        if (section != QStringView(schema[i].section)) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < schema.size() && schema[i].count > 1 &&
               QStringView(schema[end].section) == section &&
               schema[end].count == schema[i].count) {
            ++end;
        }
        for (int index = 0; index < schema[i].count; ++index) {
            for (std::size_t k = i; k < end; ++k) {
                keys.append({&schema[k], index});
            }
        }
        i = end;
    }
    return keys;
}

}  // namespace

SettingValues readSettings(clsIniFile& ini, std::span<const char16_t* const> sections,
                           QList<BadSetting>& bad) {
    KeyReader reader(ini, bad);
    SettingValues values;
    for (const char16_t* section : sections) {
        for (const auto& [entry, index] : keysOf(QStringView(section))) {
            if (entry->reading != Reading::NotRead) {
                values.set(entry->id, reader.read(*entry, index), index);
            }
        }
    }
    return values;
}

bool writeSettings(clsIniFile& ini, const SettingValues& values,
                   std::span<const char16_t* const> sections) {
    IniUpdateGuard update(ini);
    bool ok = true;
    for (const char16_t* sectionName : sections) {
        const QString section = QString::fromUtf16(sectionName);
        for (const auto& [entry, index] : keysOf(section)) {
            if (!values.has(entry->id, index)) {
                continue;
            }
            QVariant value = values.value(entry->id, index);
            if (entry->reading == Reading::PatternList) {
                // Every pattern is stored with its ";", the last one too.
                const QString patterns = value.toString();
                value = patterns.isEmpty() ? patterns : patterns + u';';
            }
            ok = ini.SetValue(value, QString(), section, keyName(*entry, index)) && ok;
        }
    }
    return update.commit() && ok;
}

SettingValues readStartSettings(clsIniFile& ini, QList<BadSetting>& bad) {
    SettingValues values = readSettings(ini, settings_pass::start(), bad);
    if (values.number(Setting::QuickPathLoad) != 0) {
        for (int k = 0; k < kQuickPathCount; ++k) {
            values.set(Setting::QuickPath, QString(), k);
        }
    }
    return values;
}

bool writeExitSettings(clsIniFile& ini, const SettingValues& values) {
    return writeSettings(ini, values, settings_pass::exit());
}

void storeInModule(const SettingValues& values, Module1& module) {
    const auto int16 = [&values](Setting setting) {
        return static_cast<qint16>(values.number(setting));
    };
    module.mScreenSaver = int16(Setting::ScreenSaver);
    module.mMousePlay = int16(Setting::mousePlay);
    module.mScreenSize = int16(Setting::ScreenSize);
    module.mMuteState = values.flag(Setting::MuteState);
    module.mScreenState = values.flag(Setting::ScreenState);
    module.mSlideShow = values.flag(Setting::SlideState);
    module.mGridLine = values.flag(Setting::GridLine);
    module.mIconDsp = values.flag(Setting::IConDsp);
    for (int k = 0; k < kQuickPathCount; ++k) {
        module.mQuickPath[k] = values.text(Setting::QuickPath, k);
    }
    module.mQuickPathValue = int16(Setting::QuickPathValue);
    module.mDspFile = values.text(Setting::DspFile);
    module.mExtraFile = extraPlayKinds(extraFileTicks(values));
    module.mSlideTime = int16(Setting::SlideTime);
    module.mSlideType = int16(Setting::SlideType);
    module.mTreeViewLine = values.flag(Setting::TreeViewLine);
    module.mHiddenAtr = int16(Setting::HiddenAtr);
    module.mSystemAtr = int16(Setting::SystemAtr);
    module.mReadOnlyAtr = int16(Setting::ReadOnlyAtr);
    module.mFolderDsp = int16(Setting::FolderDsp);
    module.mAutoColumFlg = int16(Setting::AutoColumFlg);
    module.mSoundFont = values.text(Setting::SoundFont);
    module.mSelectFolder = int16(Setting::SelectFolder);
    module.mResumePlay = values.flag(Setting::ResumePlay);
    module.mNaturalOrder = values.flag(Setting::NaturalOrder);
}

void takeFromModule(const Module1& module, SettingValues& values) {
    values.set(Setting::Width, module.mFormWidth);
    values.set(Setting::Height, module.mFormHeight);
    for (int k = 0; k < kQuickPathCount; ++k) {
        values.set(Setting::QuickPath, module.mQuickPath[k], k);
    }
    values.set(Setting::QuickPathValue, int(module.mQuickPathValue));
    values.set(Setting::GridLine, module.mGridLine);
    values.set(Setting::IConDsp, module.mIconDsp);
    values.set(Setting::ScreenSize, int(module.mScreenSize));
    values.set(Setting::MuteState, module.mMuteState);
    values.set(Setting::ScreenState, module.mScreenState);
    values.set(Setting::SlideState, module.mSlideShow);
    values.set(Setting::TreeViewLine, module.mTreeViewLine);
}

QList<bool> extraFileTicks(const SettingValues& values) {
    QList<bool> ticked;
    for (int n = 0; n < kExtraFileCount; ++n) {
        ticked.append(values.flag(Setting::ExtraFileValue, n));
    }
    return ticked;
}

qint32 nearestInt32(double value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    const double rounded = std::nearbyint(value);
    return static_cast<qint32>(std::clamp<double>(rounded, std::numeric_limits<qint32>::min(),
                                                  std::numeric_limits<qint32>::max()));
}

void reportBadSettings(Dialogs& dialogs, const QList<BadSetting>& bad) {
    if (!bad.isEmpty()) {
        ErrMsgDsp(dialogs, bad.first().number);
    }
}
