// The program's UTF-8 texts (messages/) as Qt strings.
#pragma once

#include <QString>
#include <string_view>

inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
