#pragma once

#include "lenscatalogue.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The arithmetic of the lens calculator and of its installation simulations,
// kept free of widgets so that tests and other front ends use it directly.
// Angles are in degrees, distances and heights in metres, focal lengths and
// sensor sizes in millimetres.
namespace LensMath {

// The calculator has always converted with this value; results shown to the
// user depend on it in the last digit.
inline constexpr double kPi = 3.1415926;

double toDegrees(double radians);
double toRadians(double degrees);

// Focal length that makes an object objectWidth wide at objectDistance fill
// a sensor targetWidth wide; 0 when the object has no width.
double focalLength(double targetWidth, double objectDistance, double objectWidth);

// Full viewing angle across a sensor dimension for a focal length.
double viewAngle(double sensorSize, double focalLength);

// Lenses to recommend for a focal length, as indexes into lenses: the
// varifocal lenses whose range holds it, in the order of models, then the
// nearest fixed lens and those as near as it.
QList<int> recommendLenses(double focal, const QStringList &models, const QList<LensInfo> &lenses);

// "2.8-12" for a varifocal lens, "4" for a fixed one.
QString focalText(const LensInfo &lens);
// The text of one recommended lens; interfaceWord is the translated " Interface".
QString lensItemText(const LensInfo &lens, const QString &interfaceWord);

// Tilt of the camera bracket below the horizontal, truncated toward zero;
// empty when the geometry gives no number.
std::optional<int> bracketTilt(double cameraHeight, double verticalAngle, double detectionStart);

// part / whole × 100; empty when whole is 0 or the result is not a number.
std::optional<double> percentage(double part, double whole);

double bandwidthMbps(int kbps);
// Gigabytes for hours × days hours of recording at kbps.
double storageGigabytes(int kbps, int hours, int days);

// Height of the upper edge of the view at distance x, when the lower edge of
// a view of the given angle meets the ground at d, for a camera at height h.
double UpperEdgeHeight(double h, double angle, double d, double x);
// Where the lower edge meets the ground when the upper edge passes (f, g).
double DetectionStart(double h, double angle, double f, double g);
// How far below the ground the lower edge is at distance f.
double FarDepth(double h, double angle, double d, double f, double g);

// Width of the scene covered at a distance for a horizontal viewing angle.
double coveredWidth(double distance, double viewAngle);
// Distance of the top view's marker: the second half of the drawing width
// maps linearly from the near to the far distance.
double markerDistance(double fraction, double nearDistance, double farDistance);

// The picture of the monitor simulation, as fractions.
struct MonitorFractions
{
    double horizon = 0.5; // upper area, of the picture height
    double farObject = 0.3; // far tree, of the upper area's height
    double nearObject = 0.6; // near tree, of the picture height
};
// Takes the proportions the vertical simulation reports; false, with nothing
// changed, when they describe no picture.
bool updateMonitorFractions(MonitorFractions &fractions, double objectHeight, double nearHeight,
    double farHeight, double farDepth);

// The side view of an installation: scene size, lens angle and the positions
// of the draggable marks as fractions of the drawing area. Moving one mark
// makes the others follow so that the lens geometry stays consistent.
class VerticalInstallation
{
public:
    int sceneWidth() const { return m_sceneWidth; }
    int sceneHeight() const { return m_sceneHeight; }
    void setSceneWidth(int metres) { m_sceneWidth = metres; }
    void setSceneHeight(int metres) { m_sceneHeight = metres; }

    double verticalAngle() const { return m_verticalAngle; }
    void setVerticalAngle(double degrees) { m_verticalAngle = degrees; }

    double detectionStartFraction() const { return m_detectionStartFraction; }
    double farFraction() const { return m_farFraction; }
    double cameraFraction() const { return m_cameraFraction; }
    double farHeightFraction() const { return m_farHeightFraction; }
    double objectTopFraction() const { return m_objectTopFraction; }

    double cameraHeight() const { return m_sceneHeight * (1.0 - m_cameraFraction); }
    double detectionStart() const { return m_sceneWidth * m_detectionStartFraction; }
    double farDistance() const { return m_sceneWidth * m_farFraction; }
    double farHeight() const { return m_sceneHeight * (1.0 - m_farHeightFraction); }
    double objectHeight() const { return m_sceneHeight * (1.0 - m_objectTopFraction); }
    // Height the view covers at the detection start.
    double nearViewHeight() const;
    double farDepth() const;
    bool detectionBehindFarMarker() const { return farDistance() - detectionStart() < 0; }

    // A new lens: with an object distance, the scene is set around it.
    void setLens(double verticalAngle, int objectDistance);

    void moveCamera(double fraction);
    void moveDetectionStart(double fraction);
    void moveFarDistance(double fraction);
    void moveFarHeight(double fraction);
    void moveObjectTop(double fraction);
    // Puts the far marker on the upper edge of the view.
    void followFarHeight();

private:
    void followDetectionStart();

    int m_sceneWidth = 50;
    int m_sceneHeight = 10;
    double m_verticalAngle = 25.0;
    double m_detectionStartFraction = 0.3;
    double m_farFraction = 0.6;
    double m_cameraFraction = 0.5;
    double m_farHeightFraction = 0.3;
    double m_objectTopFraction = 0.6;
};

} // namespace LensMath
