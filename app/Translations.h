#pragma once

#include <QString>

#include "texts.h"

// Puts `language` in use: the program's texts, and Qt's own for its standard
// buttons and dialogs (Czech from Qt's translations, English Qt's own).
// Returns false where Qt's Czech translations are not installed; the
// program's texts change all the same.
bool UseLanguage(Language language);

// The language the window starts in: the one KTQ51_LANG names, else the one
// `saved` names (the settings' "cs" or "en"), else Czech, whatever the
// system's language is.
Language StartLanguage(const QString& saved);
