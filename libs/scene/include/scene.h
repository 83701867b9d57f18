// The synthetic scene a simulated camera films: a finely textured
// background, a few moving shapes and a running clock, seen through a lens
// whose focus can be set, with the camera's picture adjustments and its
// on-screen texts drawn on top. Plain C++, no Qt: the device simulator and
// the virtual capture cards draw the same scene.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scene {

// A planar YUV 4:2:0 picture: the luminance plane (width x height bytes,
// rows top to bottom), then two chroma planes of half the width and height.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> y;
    std::vector<uint8_t> u;
    std::vector<uint8_t> v;

    void resize(int newWidth, int newHeight);
    int chromaWidth() const { return (width + 1) / 2; }
    int chromaHeight() const { return (height + 1) / 2; }
    double meanLuminance() const;
};

// Wall-clock time as the camera shows it.
struct Moment
{
    int year = 2000;
    int month = 1; // 1 to 12
    int day = 1; // 1 to 31
    int weekDay = 6; // 0 Sunday to 6 Saturday
    int hour = 0; // 0 to 23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// What the camera's picture record says to draw on the picture.
struct Osd
{
    bool showChannelName = false;
    std::string channelName; // 8-bit text; letters are drawn as capitals
    bool showDate = false;
    int dateFormat = 0; // 0 Y-M-D, 1 M-D-Y, 2 Y M D with unit letters, 3 M D Y with unit letters, 4
                        // D-M-Y, 5 D M Y with unit letters
    bool showWeek = false;
    bool hour12 = false;
};

// The camera's front-end picture settings, each 0 to 100; 50 leaves the picture as it is.
struct Adjustments
{
    int brightness = 50;
    int contrast = 50;
    int saturation = 50;
    int sharpness = 50;
};

// The date line of the on-screen display: the date in the chosen format,
// the week day when asked for, and the time in 24- or 12-hour form.
std::string dateText(const Moment &moment, int dateFormat, bool showWeek, bool hour12);

// How sharp the lens is at a moment: 0 most blurred, 1 sharp. It sweeps from
// blurred to sharp and back once per period, smoothly.
double focusAt(double seconds, double periodSeconds);

class Renderer
{
public:
    // seed makes each camera's scene its own.
    Renderer(int width, int height, uint32_t seed);

    int width() const { return m_background.width; }
    int height() const { return m_background.height; }

    // Draws the scene `seconds` after it started into out (resized to the
    // renderer's size). focus as focusAt gives it.
    void render(double seconds, const Moment &now, const Osd &osd, const Adjustments &adjustments,
        double focus, Picture &out);

private:
    void drawShapes(double seconds, Picture &out) const;
    void drawClock(const Moment &now, Picture &out) const;
    void blur(std::vector<uint8_t> &plane, int width, int height, int radius);
    void sharpen(Picture &out, int sharpness);
    void drawOsd(const Moment &now, const Osd &osd, Picture &out) const;

    struct Shape
    {
        int kind; // 0 disc, 1 box, 2 ring
        double size; // share of the picture height
        double speedX, speedY, phaseX, phaseY;
        uint8_t y, u, v;
    };

    Picture m_background;
    std::vector<Shape> m_shapes;
    // Scratch space, kept so that a picture allocates nothing.
    std::vector<uint8_t> m_line; // one row while blurring
    std::vector<uint8_t> m_source; // the plane before a blur pass
    std::vector<uint32_t> m_sums; // column sums of a blur pass
    std::vector<uint8_t> m_soft; // the blurred luminance while sharpening
};

} // namespace scene
