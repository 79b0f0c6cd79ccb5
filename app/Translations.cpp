#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "Settings.h"

namespace {

const QString kLanguageKey = QStringLiteral("language");

// Qt's Czech translations, loaded once and installed while Czech is in use.
QTranslator* CzechTranslator() {
    static QTranslator* translator = [] {
        const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
        auto* loaded = new QTranslator(QCoreApplication::instance());
        // Qt's own folder where a package installed them (Linux), else the
        // copy built into the program (Windows).
        if (loaded->load(czech, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
            loaded->load(czech, QStringLiteral("qtbase"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
            return loaded;
        }
        delete loaded;
        return static_cast<QTranslator*>(nullptr);
    }();
    return translator;
}

}  // namespace

bool UseLanguage(Language language) {
    SetLanguage(language);
    QTranslator* czech = CzechTranslator();
    if (language == Language::English) {
        if (czech != nullptr) QCoreApplication::removeTranslator(czech);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        return true;
    }
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    return czech != nullptr && QCoreApplication::installTranslator(czech);
}

Language StartLanguage() {
    const QByteArray variable = qgetenv("KTQ51_LANG");
    if (const auto chosen = LanguageNamed(variable.toStdString())) return *chosen;
    return LanguageNamed(ProgramSettings()->value(kLanguageKey).toString().toStdString()).value_or(Language::Czech);
}

bool KeepLanguage(Language language, QString& file) {
    const std::unique_ptr<QSettings> settings = ProgramSettings();
    settings->setValue(kLanguageKey, QString::fromUtf8(LanguageCode(language)));
    settings->sync();
    file = settings->fileName();
    return settings->status() == QSettings::NoError;
}
