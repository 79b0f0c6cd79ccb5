#pragma once

class QCoreApplication;

// Installs Qt's own Czech translations, so that the standard buttons and
// dialogs speak Czech like the rest of the window. Returns false, changing
// nothing, where they are not installed.
bool InstallCzechTranslations(QCoreApplication& app);
