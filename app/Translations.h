#pragma once

#include <QString>

#include "texts.h"

// Puts `language` in use: the program's texts, and Qt's own for its standard
// buttons and dialogs (Czech from Qt's translations, English Qt's own).
// Returns false where Qt's Czech translations are not installed; the
// program's texts change all the same.
bool UseLanguage(Language language);

// The language the window starts in: the one KTQ51_LANG names, else the one
// kept in the settings ("cs" or "en"), else Czech, whatever the system's
// language is.
Language StartLanguage();

// Keeps `language` in the settings for the next start. False, with the
// settings' file in `file`, where they cannot be written.
bool KeepLanguage(Language language, QString& file);
