#include "Messages.h"

#include "radix.h"

namespace {

QString Char(char c) {
    return QString::fromStdString(DescribeChar(c));
}

QString Hex(std::uint32_t value, int digits) {
    return QStringLiteral("0x%1").arg(value, digits, 16, QLatin1Char('0')).toUpper().replace("0X", "0x");
}

QString Damaged(const QString& what) {
    return what + QLatin1Char('\n') + kFileDamaged;
}

}  // namespace

QString HexLoadMessage(const HexResult& r, const QString& path) {
    const QString line = QString::number(r.line);
    switch (r.status) {
        case HexStatus::Ok:
            return {};
        case HexStatus::OpenFailed:
            return QStringLiteral("Soubor %1 nelze otevřít:\n%2").arg(path, QString::fromStdString(r.reason));
        case HexStatus::ReadFailed:
            return QStringLiteral("Soubor %1 nelze přečíst:\n%2").arg(path, QString::fromStdString(r.reason));
        case HexStatus::Checksum:
            return Damaged(QStringLiteral("Neplatný součet načítaných dat"));
        case HexStatus::BadCharacter:
            return Damaged(QStringLiteral("Neplatný znak %1 v záznamu na řádku %2").arg(Char(r.character), line));
        case HexStatus::LineEndInRecord:
            return Damaged(QStringLiteral("Záznam na řádku %1 je neúplný").arg(line));
        case HexStatus::UnexpectedEnd:
            return Damaged(QStringLiteral("Neočekávaný konec souboru na řádku %1").arg(line));
        case HexStatus::NoRecordStart:
            return Damaged(QStringLiteral("Na řádku %1 je znak %2 místo začátku záznamu „:“")
                               .arg(line, Char(r.character)));
        case HexStatus::TrailingText:
            return Damaged(QStringLiteral("Za kontrolním součtem na řádku %1 je navíc znak %2")
                               .arg(line, Char(r.character)));
        case HexStatus::UnknownType:
            return Damaged(QStringLiteral("Neznámý typ záznamu %1 na řádku %2")
                               .arg(QString::fromStdString(IntToBaseStr(r.recordType, 16)), line));
        case HexStatus::BadLength:
            return Damaged(QStringLiteral("Záznam typu %1 na řádku %2 má chybnou délku (%3 bajtů)")
                               .arg(QString::fromStdString(IntToBaseStr(r.recordType, 16)), line)
                               .arg(r.length));
        case HexStatus::OutOfRange:
            return Damaged(QStringLiteral("Data na řádku %1 patří na adresu %2, mimo paměť 0x0000–0x3FFF")
                               .arg(line, Hex(r.address, 4)));
    }
    return Damaged(QStringLiteral("Neznámá chyba na řádku %1").arg(line));
}
