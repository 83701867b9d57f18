#include "greypicture.h"

namespace {

// Sides beyond this are taken for a broken header rather than a picture.
constexpr qint64 MaxSide = 1 << 16;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Reads the next decimal number of the header, skipping blanks and
// comments (from '#' to the end of the line); -1 when there is none.
qint64 headerNumber(const QByteArray &data, qsizetype *at)
{
    qsizetype i = *at;
    while (i < data.size() && (isBlank(data[i]) || data[i] == '#')) {
        if (data[i] == '#') {
            while (i < data.size() && data[i] != '\n' && data[i] != '\r') {
                ++i;
            }
        } else {
            ++i;
        }
    }
    qint64 number = -1;
    while (i < data.size() && data[i] >= '0' && data[i] <= '9' && number <= MaxSide * MaxSide) {
        number = (number < 0 ? 0 : number * 10) + (data[i] - '0');
        ++i;
    }
    *at = i;
    return number;
}

} // namespace

std::optional<GreyPicture> GreyPicture::fromPgm(const QByteArray &data, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error != nullptr) {
            *error = why;
        }
        return std::nullopt;
    };
    if (!data.startsWith("P5")) {
        return fail(tr("not a binary grey map (it does not start with P5)"));
    }
    qsizetype at = 2;
    const qint64 width = headerNumber(data, &at);
    const qint64 height = headerNumber(data, &at);
    const qint64 largest = headerNumber(data, &at);
    if (width < 1 || height < 1 || largest < 1 || width > MaxSide || height > MaxSide
        || at >= data.size() || !isBlank(data[at])) {
        return fail(tr("the grey map's header is broken"));
    }
    if (largest > 255) {
        return fail(tr("the grey map has 16-bit levels; only 8-bit ones are read"));
    }
    ++at; // the one blank before the raster
    const qint64 size = width * height;
    if (data.size() - at < size) {
        return fail(
            tr("the grey map is cut short: %1 of %2 bytes").arg(data.size() - at).arg(size));
    }
    GreyPicture picture;
    picture.width = int(width);
    picture.height = int(height);
    picture.bytes = data.mid(at, qsizetype(size));
    return picture;
}
