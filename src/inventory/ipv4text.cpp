#include "ipv4text.h"

namespace Ipv4Text {

std::optional<quint32> parse(QStringView text, const Rules &rules)
{
    quint32 address = 0;
    int parts = 0;
    qsizetype i = 0;
    while (true) {
        qsizetype digits = 0;
        quint32 part = 0;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits) {
            part = part * 10 + quint32(text[i].unicode() - u'0');
            // Stops the sum from wrapping on a long run of digits.
            if (part > 255) {
                return std::nullopt;
            }
        }
        if (digits == 0 || (rules.maxPartDigits > 0 && digits > rules.maxPartDigits)) {
            return std::nullopt;
        }
        address = (address << 8) | part;
        ++parts;
        if (parts == 4 || i == text.size() || text[i] != u'.') {
            break;
        }
        ++i;
    }
    if (parts != 4 || i != text.size()) {
        return std::nullopt;
    }
    if (!rules.allowZeroFirstPart && (address >> 24) == 0) {
        return std::nullopt;
    }
    if (!rules.allowAllZeros && address == 0) {
        return std::nullopt;
    }
    if (rules.contiguousMask) {
        const quint32 hostBits = ~address;
        if ((hostBits & (hostBits + 1)) != 0) {
            return std::nullopt;
        }
    }
    return address;
}

bool isValid(QStringView text, const Rules &rules)
{
    return parse(text, rules).has_value();
}

QString toText(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

std::optional<QString> canonical(QStringView text, const Rules &rules)
{
    const std::optional<quint32> address = parse(text, rules);
    if (!address) {
        return std::nullopt;
    }
    return toText(*address);
}

} // namespace Ipv4Text
