#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <span>

#include "settings/module1.h"
#include "settings/settings_schema.h"

class clsIniFile;
class Dialogs;

// A stored value the program could not use: where it stands and the run-time error number that
// reading it raises (13 not a number, 6 out of range, 9 not a valid index, 380 not a valid
// property value). The reader carries on with the key's default.
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

// Values of settings keys, typed by the schema's reading of each key. A key that holds no value
// reads as its default and is not written.
class SettingValues {
public:
    bool has(Setting setting, int index = 0) const;
    void set(Setting setting, const QVariant& value, int index = 0);
    void unset(Setting setting, int index = 0);

    // The value, or the key's default when it holds none.
    QVariant value(Setting setting, int index = 0) const;
    qint32 number(Setting setting, int index = 0) const { return value(setting, index).toInt(); }
    bool flag(Setting setting, int index = 0) const { return value(setting, index).toBool(); }
    float single(Setting setting, int index = 0) const { return value(setting, index).toFloat(); }
    QString text(Setting setting, int index = 0) const { return value(setting, index).toString(); }

    // What the program works with when the key is missing.
    static QVariant defaultOf(Setting setting);

    bool operator==(const SettingValues&) const = default;

private:
    static int slot(Setting setting, int index) { return static_cast<int>(setting) * 256 + index; }
    QHash<int, QVariant> m_values;
};

// Reads every key of the given sections, in their order and the schema's order within each.
// Every key read gets a value: a missing key its default; a value that cannot be used also its
// default, and it is noted in bad, in the order met, so that one bad key never keeps the keys
// after it from loading.
SettingValues readSettings(clsIniFile& ini, std::span<const char16_t* const> sections,
                           QList<BadSetting>& bad);

// Writes the keys of the given sections that hold a value, section by section in that order, as
// one write of the file; numbered keys of one section go number by number (Value1, kakuchosi1,
// setumei1, Value2, …). Every other line of the file stays as it is. False when the file could
// not be written.
bool writeSettings(clsIniFile& ini, const SettingValues& values,
                   std::span<const char16_t* const> sections);

// The start's reading: every section the window loads. With QuickPathLoad set the quick paths
// are left empty.
SettingValues readStartSettings(clsIniFile& ini, QList<BadSetting>& bad);
// The exit save: the window's own sections only.
bool writeExitSettings(clsIniFile& ini, const SettingValues& values);

// Copies what the start read into the shared variables: everything but the start folder (which
// depends on the volumes) and what belongs to the window's controls (position, player and
// splitter sizes).
void storeInModule(const SettingValues& values, Module1& module);
// The exit save's keys that the shared variables hold.
void takeFromModule(const Module1& module, SettingValues& values);

// The ticks of the extra file types, by their place in extraFileTypes().
QList<bool> extraFileTicks(const SettingValues& values);

// A window position in twips as the file keeps it: the nearest whole number, halves to the even
// neighbour.
qint32 nearestInt32(double value);

// Shows the error box once for a load that met bad values, with the number of the first.
void reportBadSettings(Dialogs& dialogs, const QList<BadSetting>& bad);
