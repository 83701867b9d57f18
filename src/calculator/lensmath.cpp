#include "lensmath.h"

#include <cmath>

namespace LensMath {

double toDegrees(double radians)
{
    return radians * 180.0 / kPi;
}

double toRadians(double degrees)
{
    return degrees * kPi / 180.0;
}

double focalLength(double targetWidth, double objectDistance, double objectWidth)
{
    if (objectWidth == 0.0) {
        return 0.0;
    }
    return targetWidth * objectDistance / objectWidth;
}

double viewAngle(double sensorSize, double focalLength)
{
    return toDegrees(2.0 * std::atan2(sensorSize, 2.0 * focalLength));
}

QList<int> recommendLenses(double focal, const QStringList &models, const QList<LensInfo> &lenses)
{
    struct Candidate
    {
        int index;
        double distance;
    };
    QList<int> result;
    QList<Candidate> candidates;
    for (const QString &model : models) {
        int found = -1;
        for (int i = 0; i < lenses.size(); ++i) {
            if (lenses[i].model() == model) {
                found = i;
                break;
            }
        }
        if (found < 0) {
            continue;
        }
        const LensInfo &lens = lenses[found];
        const double minimum = lens.minFocal();
        const double maximum = lens.maxFocal();
        if (!lens.isFixedFocal()) {
            if (minimum - 0.001 < focal && focal < maximum + 0.001) {
                result.append(found);
            }
            continue;
        }
        const double distance = std::fabs(minimum - focal);
        qsizetype at = 0;
        while (at < candidates.size() && candidates[at].distance <= distance) {
            ++at;
        }
        candidates.insert(at, Candidate { found, distance });
    }
    if (!candidates.isEmpty()) {
        const double nearest = candidates.first().distance;
        for (const Candidate &candidate : candidates) {
            if (std::fabs(candidate.distance - nearest) < 0.001) {
                result.append(candidate.index);
            }
        }
    }
    return result;
}

QString focalText(const LensInfo &lens)
{
    if (lens.minFocal() == lens.maxFocal()) {
        return QString::number(double(lens.maxFocal()), 'g', 6);
    }
    return QString::number(double(lens.minFocal()), 'g', 6) + QLatin1Char('-')
        + QString::number(double(lens.maxFocal()), 'g', 6);
}

QString lensItemText(const LensInfo &lens, const QString &interfaceWord)
{
    return lens.model() + QStringLiteral(", ") + lens.detail1() + QStringLiteral(", f")
        + focalText(lens) + QStringLiteral("mm/") + lens.detail2() + QLatin1Char('/')
        + lens.detail3() + QLatin1Char('/') + lens.interfaceName() + interfaceWord;
}

std::optional<int> bracketTilt(double cameraHeight, double verticalAngle, double detectionStart)
{
    const double tilt
        = verticalAngle / 2.0 + toDegrees(std::atan2(detectionStart, cameraHeight)) - 90.0;
    if (!std::isfinite(tilt)) {
        return std::nullopt;
    }
    return static_cast<int>(std::trunc(tilt));
}

std::optional<double> percentage(double part, double whole)
{
    if (whole == 0.0) {
        return std::nullopt;
    }
    const double value = part / whole * 100.0;
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

double bandwidthMbps(int kbps)
{
    return kbps / 1024.0;
}

double storageGigabytes(int kbps, int hours, int days)
{
    return kbps / 1024.0 / 8.0 * 3600.0 * hours * days / 1024.0;
}

double UpperEdgeHeight(double h, double angle, double d, double x)
{
    return h - x / std::tan(std::atan2(d, h) + toRadians(angle));
}

double DetectionStart(double h, double angle, double f, double g)
{
    return h * std::tan(std::atan2(f, h - g) - toRadians(angle));
}

double FarDepth(double h, double angle, double d, double f, double g)
{
    return (f - d) / std::tan(std::atan2(f, h - g) - toRadians(angle));
}

double coveredWidth(double distance, double viewAngle)
{
    return 2.0 * distance * std::tan(toRadians(viewAngle) / 2.0);
}

double markerDistance(double fraction, double nearDistance, double farDistance)
{
    if (fraction < 0.5) {
        return nearDistance;
    }
    return nearDistance + (fraction - 0.5) / 0.5 * (farDistance - nearDistance);
}

bool updateMonitorFractions(MonitorFractions &fractions, double objectHeight, double nearHeight,
    double farHeight, double farDepth)
{
    if (nearHeight == 0.0 || farHeight == 0.0) {
        return false;
    }
    double horizon = farHeight / (farHeight + farDepth);
    double farObject = objectHeight / farHeight;
    double nearObject = objectHeight / nearHeight;
    // A lens pointed at the horizon gives no number; keep the last picture.
    if (!std::isfinite(horizon) || !std::isfinite(farObject) || !std::isfinite(nearObject)) {
        return false;
    }
    const auto limit = [](double value, double most) {
        if (value < 0.0001) {
            return 0.0;
        }
        return value > most ? most : value;
    };
    fractions.horizon = limit(horizon, 1.0);
    fractions.farObject = limit(farObject, 10.0);
    fractions.nearObject = limit(nearObject, 10.0);
    return true;
}

double VerticalInstallation::nearViewHeight() const
{
    const double d = detectionStart();
    return UpperEdgeHeight(cameraHeight(), m_verticalAngle, d, d);
}

double VerticalInstallation::farDepth() const
{
    return FarDepth(cameraHeight(), m_verticalAngle, detectionStart(), farDistance(), farHeight());
}

void VerticalInstallation::setLens(double verticalAngle, int objectDistance)
{
    m_verticalAngle = verticalAngle;
    if (objectDistance != 0) {
        m_sceneWidth = 2 * objectDistance;
        m_detectionStartFraction = 0.5;
        m_farFraction = 0.75;
        m_cameraFraction = 0.5;
    }
}

void VerticalInstallation::moveCamera(double fraction)
{
    m_cameraFraction = fraction;
    followDetectionStart();
}

void VerticalInstallation::moveDetectionStart(double fraction)
{
    m_detectionStartFraction = fraction;
    followFarHeight();
}

void VerticalInstallation::moveFarDistance(double fraction)
{
    m_farFraction = fraction;
    followDetectionStart();
}

void VerticalInstallation::moveFarHeight(double fraction)
{
    m_farHeightFraction = fraction;
    followDetectionStart();
}

void VerticalInstallation::moveObjectTop(double fraction)
{
    m_objectTopFraction = fraction;
}

void VerticalInstallation::followFarHeight()
{
    if (m_sceneHeight == 0) {
        return;
    }
    const double height
        = UpperEdgeHeight(cameraHeight(), m_verticalAngle, detectionStart(), farDistance());
    const double fraction = 1.0 - height / m_sceneHeight;
    // A view whose edges run parallel gives no point; the marker stays.
    if (std::isfinite(fraction)) {
        m_farHeightFraction = fraction;
    }
}

void VerticalInstallation::followDetectionStart()
{
    if (m_sceneWidth == 0) {
        return;
    }
    const double start
        = DetectionStart(cameraHeight(), m_verticalAngle, farDistance(), farHeight());
    const double fraction = start / m_sceneWidth;
    if (std::isfinite(fraction)) {
        m_detectionStartFraction = fraction;
    }
}

} // namespace LensMath
