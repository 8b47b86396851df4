#include "platform/os_version.h"

#include <QFile>
#include <QStringList>
#include <QtGlobal>
#include <sys/utsname.h>

QString windowsOsName(const WinVersionRecord& r) {
    if (!r.plainOk) {
        return {};
    }
    QString name;
    if (r.platformId == 1) {
        if (r.major == 4 && r.minor == 0) {
            name = u"Windows 95" + r.csd;
        } else if (r.major == 4 && r.minor == 10) {
            name = QStringLiteral("Windows 98");
        } else if (r.major == 4 && r.minor == 90) {
            name = QStringLiteral("Windows Me");
        } else {
            name = QStringLiteral("Windows Me later");
        }
        const auto lowWord = static_cast<std::int16_t>(r.build & 0xFFFFu);
        return name + u" Build: " + QString::number(lowWord);
    }
    if (r.platformId != 2) {
        return {};
    }
    if (r.major > 5) {
        name = QStringLiteral("Windows Whistlar later");
    } else if (r.major == 5 && r.minor == 0) {
        name = QStringLiteral("Windows 2000");
        if (r.productType == 1) {
            name += u" Professional";
        } else if (r.productType == 3) {
            name += u" Server";
        }
    } else if (r.major == 5 && r.minor == 1) {
        name = QStringLiteral("Windows XP");
        if ((r.suiteMask & 0x200u) != 0) {
            name += u" Home Edition";
        } else if (r.productType == 1) {
            name += u" Professional";
        } else if (r.productType == 3) {
            name = QStringLiteral("Windows 2002 .NET Server");
        }
    } else if (r.major == 5) {
        name = QStringLiteral("Windows Whistlar later");
    } else {
        name = u"Windows NT Version " + QString::number(r.major) + u'.' +
               QStringLiteral("%1").arg(r.minor, 2, 10, QLatin1Char('0'));
        if (r.extendedOk) {
            if (r.productType == 1) {
                name += u" Workstation";
            } else if (r.productType == 3) {
                name += u" Server";
            }
        }
    }
    if (!r.csd.isEmpty()) {
        name += u" (" + r.csd + u')';
    }
    return name + u" Build: " + QString::number(static_cast<std::int32_t>(r.build));
}

QString linuxOsName(const QString& osReleaseText, const QString& kernelRelease) {
    QString pretty;
    QString plainName;
    const QStringList lines = osReleaseText.split(u'\n');
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) {
            continue;
        }
        const QString key = line.left(eq);
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
            value.back() == value.front()) {
            value = value.mid(1, value.size() - 2);
        }
        if (key == u"PRETTY_NAME") {
            pretty = value;
        } else if (key == u"NAME") {
            plainName = value;
        }
    }
    if (pretty.isEmpty()) {
        pretty = plainName;
    }
    if (kernelRelease.isEmpty()) {
        return pretty;
    }
    const QString kernel = u"Linux " + kernelRelease;
    return pretty.isEmpty() ? kernel : pretty + u" (" + kernel + u')';
}

QString GetOSName() {
    QString osRelease;
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly)) {
            osRelease = QString::fromUtf8(file.read(64 * 1024));
            break;
        }
    }
    QString kernel;
    struct utsname info {};
    if (uname(&info) == 0) {
        kernel = QString::fromUtf8(info.release);
    }
    return linuxOsName(osRelease, kernel);
}

QString GetShellVersion() {
    const QStringList parts = QString::fromLatin1(qVersion()).split(u'.');
    if (parts.size() < 2) {
        return QStringLiteral("不明");
    }
    return parts.at(0) + u'.' + parts.at(1);
}
