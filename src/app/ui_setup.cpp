#include "app/ui_setup.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void installJapaneseUi(QApplication& app) {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* name : {"qtbase", "qt"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(japanese, QString::fromLatin1(name), QStringLiteral("_"), folder)) {
            QApplication::installTranslator(translator);
        } else {
            delete translator;
        }
    }
    const QStringList families = QFontDatabase::families();
    for (const char* family : {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "VL PGothic"}) {
        if (families.contains(QString::fromLatin1(family))) {
            QFont font(QString::fromLatin1(family));
            font.setPointSize(9);
            QApplication::setFont(font);
            break;
        }
    }
}
