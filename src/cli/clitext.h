#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// What tervix-cli reads from its command line and what it prints of a
// device, each in one place.

// How much of its layout a printed text may keep.
enum class CliTextForm {
    Line, // a table cell or a value: every control character escaped
    Document, // a multi-line text (an ability document): keeps line breaks and tabs
};

// A text a device sent (or a file holds), safe to print on a terminal: a
// control character, a line or paragraph separator or a direction override
// is written as an escape (\n, \r, \t, \x1b, \u202e) and a backslash as \\,
// so that no name can move the cursor, clear the screen or start a row.
QString cliSafeText(QStringView text, CliTextForm form = CliTextForm::Line);

// A number typed on the command line: decimal digits only, no sign, no blank;
// leading zeros count for nothing ("010" is ten). Nothing when it is none or
// above maximum.
std::optional<quint64> cliDecimal(QStringView text, quint64 maximum);
