// The Czech texts of the results that image/ and serial/ return.
#pragma once

#include <QString>

#include "hexfile.h"

// The second line of every message about a file whose content is at fault.
inline const QString kFileDamaged = QStringLiteral("Soubor je poškozen");

// The message for a failed load of `path`.
QString HexLoadMessage(const HexResult& result, const QString& path);
