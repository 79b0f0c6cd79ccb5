// The program's settings: the folder of the last file and the recently
// loaded files, in an INI file of the user's (on every system, so that a
// test can put it elsewhere with QSettings::setPath).
#pragma once

#include <QSettings>
#include <memory>

inline std::unique_ptr<QSettings> ProgramSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("KTQ-51"),
                                       QStringLiteral("Programator"));
}
