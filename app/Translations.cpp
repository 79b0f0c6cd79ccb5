#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallCzechTranslations(QCoreApplication& app) {
    const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    auto* translator = new QTranslator(&app);
    // Qt's own folder where a package installed them (Linux), else the copy
    // built into the program (Windows).
    if (!translator->load(czech, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        !translator->load(czech, QStringLiteral("qtbase"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        delete translator;
        return false;
    }
    QLocale::setDefault(czech);
    QCoreApplication::installTranslator(translator);
    return true;
}
