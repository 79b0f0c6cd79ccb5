#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallCzechTranslations(QCoreApplication& app) {
    const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    auto* translator = new QTranslator(&app);
    if (!translator->load(czech, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QLocale::setDefault(czech);
    QCoreApplication::installTranslator(translator);
    return true;
}
