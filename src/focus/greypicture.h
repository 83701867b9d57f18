#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <optional>

// A picture of grey levels, one byte each, rows top to bottom: what the
// focus measure reads as the luminance plane.
struct GreyPicture
{
    Q_DECLARE_TR_FUNCTIONS(GreyPicture)

public:
    int width = 0;
    int height = 0;
    QByteArray bytes; // width × height

    // A binary 8-bit portable grey map ("P5", largest grey level at most
    // 255): header, comments, and the raster after it. Levels are taken as
    // they stand, not rescaled to the largest one. None, with *error saying
    // why, when the data is no such picture.
    static std::optional<GreyPicture> fromPgm(const QByteArray &data, QString *error);
};
