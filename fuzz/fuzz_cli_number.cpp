// The command line's numbers and the escaping of device texts for the
// terminal.
#include "clitext.h"

#include <QString>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    static const quint64 maxima[] = { 0, 1, 255, 65535, 4294967295u, ~quint64(0) };
    const quint64 maximum = maxima[data[0] % std::size(maxima)];
    const QString text
        = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    if (const auto number = cliDecimal(text, maximum)) {
        if (*number > maximum || cliDecimal(QString::number(*number), maximum) != number) {
            std::abort();
        }
    }
    for (const CliTextForm form : { CliTextForm::Line, CliTextForm::Document }) {
        const QString safe = cliSafeText(text, form);
        for (const QChar c : safe) {
            // Nothing that can move the cursor or start a row survives.
            if (c.unicode() == 0x1b || c.unicode() == '\r'
                || (form == CliTextForm::Line && c.unicode() < 0x20)) {
                std::abort();
            }
        }
    }
    return 0;
}
