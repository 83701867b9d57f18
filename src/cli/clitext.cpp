#include "clitext.h"

namespace {

bool needsEscape(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) // C0, DEL, C1 (0x9B starts a sequence too)
        || c == 0x2028 || c == 0x2029 // line and paragraph separators
        || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); // direction overrides
}

} // namespace

QString cliSafeText(QStringView text, CliTextForm form)
{
    QString out;
    out.reserve(text.size());
    for (const QChar character : text) {
        const char16_t c = character.unicode();
        if (form == CliTextForm::Document && (c == u'\n' || c == u'\t')) {
            out += character;
        } else if (c == u'\\') {
            out += QLatin1String("\\\\");
        } else if (c == u'\n') {
            out += QLatin1String("\\n");
        } else if (c == u'\r') {
            out += QLatin1String("\\r");
        } else if (c == u'\t') {
            out += QLatin1String("\\t");
        } else if (!needsEscape(c)) {
            out += character;
        } else if (c <= 0xFF) {
            out += QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
        } else {
            out += QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
        }
    }
    return out;
}

std::optional<quint64> cliDecimal(QStringView text, quint64 maximum)
{
    if (text.isEmpty()) {
        return std::nullopt;
    }
    quint64 value = 0;
    for (const QChar character : text) {
        const char16_t c = character.unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        const quint64 digit = quint64(c - u'0');
        // Checked before it is added, so that no run of digits wraps round.
        if (digit > maximum || value > (maximum - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}
