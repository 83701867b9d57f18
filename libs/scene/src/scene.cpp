#include "scene.h"

#include "font.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace scene {

namespace {

constexpr double Tau = 2 * std::numbers::pi;
// Limited-range luminance, as the encoders expect it.
constexpr int Black = 16;
constexpr int White = 235;
constexpr int ShapeCount = 4;

uint8_t clampByte(int value)
{
    return uint8_t(std::clamp(value, 0, 255));
}

uint32_t mix(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// A number in [0, 1) drawn from the seed, the same on every run.
double unit(uint32_t seed, uint32_t which)
{
    return double(mix(seed * 0x9E3779B9U + which) >> 8) / double(1 << 24);
}

// Fills every pixel whose centre `inside` accepts within the box, in both
// resolutions: luminance at full size, chroma at half.
template<typename Inside>
void fill(Picture &out, double left, double top, double right, double bottom, Inside inside,
    uint8_t y, uint8_t u, uint8_t v)
{
    const int x0 = std::max(0, int(std::floor(left)));
    const int y0 = std::max(0, int(std::floor(top)));
    const int x1 = std::min(out.width, int(std::ceil(right)));
    const int y1 = std::min(out.height, int(std::ceil(bottom)));
    for (int py = y0; py < y1; ++py) {
        uint8_t *row = out.y.data() + std::size_t(py) * std::size_t(out.width);
        for (int px = x0; px < x1; ++px) {
            if (inside(px + 0.5, py + 0.5)) {
                row[px] = y;
            }
        }
    }
    const int cw = out.chromaWidth();
    for (int cy = y0 / 2; cy < std::min(out.chromaHeight(), (y1 + 1) / 2); ++cy) {
        for (int cx = x0 / 2; cx < std::min(cw, (x1 + 1) / 2); ++cx) {
            if (inside(2.0 * cx + 1.0, 2.0 * cy + 1.0)) {
                const std::size_t at = std::size_t(cy) * std::size_t(cw) + std::size_t(cx);
                out.u[at] = u;
                out.v[at] = v;
            }
        }
    }
}

// Distance from (x, y) to the segment (ax, ay)-(bx, by).
double segmentDistance(double x, double y, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax;
    const double dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    const double t
        = length2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(x - (ax + t * dx), y - (ay + t * dy));
}

void drawHand(Picture &out, double cx, double cy, double angle, double length, double thickness,
    uint8_t y, uint8_t u, uint8_t v)
{
    // Angle 0 is twelve o'clock, turning clockwise.
    const double ex = cx + length * std::sin(angle);
    const double ey = cy - length * std::cos(angle);
    const double pad = thickness;
    fill(
        out, std::min(cx, ex) - pad, std::min(cy, ey) - pad, std::max(cx, ex) + pad,
        std::max(cy, ey) + pad,
        [&](double x, double yy) {
            return segmentDistance(x, yy, cx, cy, ex, ey) <= thickness / 2;
        },
        y, u, v);
}

// One text line at (x, y), each font pixel a scale x scale block, with a
// dark shadow so that it reads on any background. Chroma under the text is
// made neutral so that it stays white.
void drawText(Picture &out, int x, int y, int scale, const std::string &text)
{
    const int shadow = std::max(1, scale / 2);
    for (const int pass : { 0, 1 }) {
        const int offset = pass == 0 ? shadow : 0;
        const uint8_t luminance = pass == 0 ? Black : White;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const int gx = x + int(i) * font::Advance * scale + offset;
            for (int r = 0; r < font::Height; ++r) {
                const uint8_t bits = font::row(text[i], r);
                for (int c = 0; c < font::Width; ++c) {
                    if (!(bits & (1 << (font::Width - 1 - c)))) {
                        continue;
                    }
                    const int left = gx + c * scale;
                    const int top = y + r * scale + offset;
                    fill(
                        out, left, top, left + scale, top + scale,
                        [](double, double) { return true; }, luminance, 128, 128);
                }
            }
        }
    }
}

// Box blur of one plane by running sums: the cost does not grow with the radius.
void boxPass(std::vector<uint8_t> &plane, int width, int height, int radius,
    std::vector<uint8_t> &line, std::vector<uint8_t> &source, std::vector<uint32_t> &sums)
{
    const uint32_t scale = (1u << 16) / uint32_t(2 * radius + 1);
    line.resize(std::size_t(std::max(width, height)));
    // Rows.
    for (int y = 0; y < height; ++y) {
        uint8_t *row = plane.data() + std::size_t(y) * std::size_t(width);
        std::memcpy(line.data(), row, std::size_t(width));
        auto at = [&](int x) { return uint32_t(line[std::size_t(std::clamp(x, 0, width - 1))]); };
        uint32_t sum = 0;
        for (int k = -radius; k <= radius; ++k) {
            sum += at(k);
        }
        for (int x = 0; x < width; ++x) {
            row[x] = uint8_t((sum * scale) >> 16);
            sum += at(x + radius + 1);
            sum -= at(x - radius);
        }
    }
    // Columns, a row at a time so that memory is read in order.
    source = plane;
    auto sourceRow = [&](int y) {
        return source.data() + std::size_t(std::clamp(y, 0, height - 1)) * std::size_t(width);
    };
    sums.assign(std::size_t(width), 0);
    for (int k = -radius; k <= radius; ++k) {
        const uint8_t *row = sourceRow(k);
        for (int x = 0; x < width; ++x) {
            sums[std::size_t(x)] += row[x];
        }
    }
    for (int y = 0; y < height; ++y) {
        uint8_t *row = plane.data() + std::size_t(y) * std::size_t(width);
        const uint8_t *entering = sourceRow(y + radius + 1);
        const uint8_t *leaving = sourceRow(y - radius);
        for (int x = 0; x < width; ++x) {
            row[x] = uint8_t((sums[std::size_t(x)] * scale) >> 16);
            sums[std::size_t(x)] += uint32_t(entering[x]) - uint32_t(leaving[x]);
        }
    }
}

const char *const WeekDays[]
    = { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday" };

} // namespace

void Picture::resize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
    y.resize(std::size_t(width) * std::size_t(height));
    u.resize(std::size_t(chromaWidth()) * std::size_t(chromaHeight()));
    v.resize(u.size());
}

double Picture::meanLuminance() const
{
    if (y.empty()) {
        return 0;
    }
    uint64_t sum = 0;
    for (const uint8_t value : y) {
        sum += value;
    }
    return double(sum) / double(y.size());
}

std::string dateText(const Moment &m, int dateFormat, bool showWeek, bool hour12)
{
    char date[32];
    switch (dateFormat) {
    case 1:
        std::snprintf(date, sizeof date, "%02d-%02d-%04d", m.month, m.day, m.year);
        break;
    case 2:
        std::snprintf(date, sizeof date, "%04dY%02dM%02dD", m.year, m.month, m.day);
        break;
    case 3:
        std::snprintf(date, sizeof date, "%02dM%02dD%04dY", m.month, m.day, m.year);
        break;
    case 4:
        std::snprintf(date, sizeof date, "%02d-%02d-%04d", m.day, m.month, m.year);
        break;
    case 5:
        std::snprintf(date, sizeof date, "%02dD%02dM%04dY", m.day, m.month, m.year);
        break;
    default:
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", m.year, m.month, m.day);
        break;
    }
    std::string text = date;
    if (showWeek) {
        text += ' ';
        text += WeekDays[std::clamp(m.weekDay, 0, 6)];
    }
    char time[24];
    if (hour12) {
        const int hour = m.hour % 12 == 0 ? 12 : m.hour % 12;
        std::snprintf(time, sizeof time, " %02d:%02d:%02d %s", hour, m.minute, m.second,
            m.hour < 12 ? "AM" : "PM");
    } else {
        std::snprintf(time, sizeof time, " %02d:%02d:%02d", m.hour, m.minute, m.second);
    }
    return text + time;
}

double focusAt(double seconds, double periodSeconds)
{
    if (periodSeconds <= 0) {
        return 1.0;
    }
    return 0.5 - 0.5 * std::cos(Tau * seconds / periodSeconds);
}

Renderer::Renderer(int width, int height, uint32_t seed)
{
    m_background.resize(std::max(2, width), std::max(2, height));
    Picture &bg = m_background;
    // Broad light and shade times fine noise and a thin grid: detail that a
    // defocused lens visibly loses.
    const double px = unit(seed, 1) * Tau;
    const double py = unit(seed, 2) * Tau;
    std::vector<double> across(std::size_t(bg.width));
    std::vector<double> down(std::size_t(bg.height));
    for (int x = 0; x < bg.width; ++x) {
        across[std::size_t(x)] = std::sin(Tau * 3.1 * x / bg.width + px);
    }
    for (int y = 0; y < bg.height; ++y) {
        down[std::size_t(y)] = std::cos(Tau * 2.3 * y / bg.height + py);
    }
    const int grid = std::max(8, bg.height / 36);
    for (int y = 0; y < bg.height; ++y) {
        uint8_t *row = bg.y.data() + std::size_t(y) * std::size_t(bg.width);
        for (int x = 0; x < bg.width; ++x) {
            int value = 120 + int(45 * across[std::size_t(x)] * down[std::size_t(y)]);
            value += int(mix(uint32_t(x) * 73856093U ^ uint32_t(y) * 19349663U ^ seed) & 63) - 32;
            if (x % grid == 0 || y % grid == 0) {
                value -= 45;
            }
            row[x] = clampByte(std::clamp(value, Black, White));
        }
    }
    const double pu = unit(seed, 3) * Tau;
    for (int cy = 0; cy < bg.chromaHeight(); ++cy) {
        for (int cx = 0; cx < bg.chromaWidth(); ++cx) {
            const std::size_t at
                = std::size_t(cy) * std::size_t(bg.chromaWidth()) + std::size_t(cx);
            bg.u[at] = clampByte(128 + int(30 * std::sin(Tau * cx / bg.chromaWidth() + pu)));
            bg.v[at] = clampByte(128 + int(30 * std::cos(Tau * cy / bg.chromaHeight() + pu)));
        }
    }

    static const uint8_t Colours[][3] = {
        { 82, 90, 240 }, // red
        { 145, 54, 34 }, // green
        { 41, 240, 110 }, // blue
        { 210, 16, 146 }, // yellow
        { 170, 166, 16 }, // cyan
    };
    for (int i = 0; i < ShapeCount; ++i) {
        const auto *colour = Colours[(seed + uint32_t(i)) % 5];
        m_shapes.push_back({ i % 3, 0.08 + 0.08 * unit(seed, 10 + uint32_t(i)),
            0.03 + 0.1 * unit(seed, 20 + uint32_t(i)), 0.03 + 0.1 * unit(seed, 30 + uint32_t(i)),
            Tau * unit(seed, 40 + uint32_t(i)), Tau * unit(seed, 50 + uint32_t(i)), colour[0],
            colour[1], colour[2] });
    }
}

void Renderer::drawShapes(double seconds, Picture &out) const
{
    const double w = out.width;
    const double h = out.height;
    for (const Shape &shape : m_shapes) {
        const double r = shape.size * h;
        const double cx = w * (0.5 + 0.38 * std::sin(Tau * shape.speedX * seconds + shape.phaseX));
        const double cy = h * (0.5 + 0.36 * std::sin(Tau * shape.speedY * seconds + shape.phaseY));
        auto inside = [&](double x, double y) {
            const double dx = x - cx;
            const double dy = y - cy;
            switch (shape.kind) {
            case 0:
                return dx * dx + dy * dy <= r * r;
            case 1:
                return std::abs(dx) <= r && std::abs(dy) <= r * 0.7;
            default: {
                const double d2 = dx * dx + dy * dy;
                return d2 <= r * r && d2 >= 0.36 * r * r;
            }
            }
        };
        fill(out, cx - r, cy - r, cx + r, cy + r, inside, shape.y, shape.u, shape.v);
    }
}

void Renderer::drawClock(const Moment &now, Picture &out) const
{
    const double r = out.height / 7.0;
    const double cx = out.width - r * 1.3;
    const double cy = out.height - r * 1.6;
    fill(
        out, cx - r, cy - r, cx + r, cy + r,
        [&](double x, double y) { return std::hypot(x - cx, y - cy) <= r; }, 60, 128, 128);
    fill(
        out, cx - r, cy - r, cx + r, cy + r,
        [&](double x, double y) { return std::hypot(x - cx, y - cy) <= r * 0.92; }, 205, 128, 128);
    const double seconds = now.second + now.millisecond / 1000.0;
    const double minutes = now.minute + seconds / 60.0;
    const double hours = (now.hour % 12) + minutes / 60.0;
    for (int mark = 0; mark < 12; ++mark) {
        const double a = Tau * mark / 12.0;
        const double x = cx + r * 0.8 * std::sin(a);
        const double y = cy - r * 0.8 * std::cos(a);
        const double size = r * 0.06;
        fill(
            out, x - size, y - size, x + size, y + size,
            [&](double px, double py) { return std::hypot(px - x, py - y) <= size; }, 40, 128, 128);
    }
    drawHand(out, cx, cy, Tau * hours / 12.0, r * 0.5, std::max(2.0, r * 0.09), 30, 128, 128);
    drawHand(out, cx, cy, Tau * minutes / 60.0, r * 0.75, std::max(2.0, r * 0.06), 30, 128, 128);
    drawHand(out, cx, cy, Tau * seconds / 60.0, r * 0.85, std::max(1.0, r * 0.025), 82, 90, 240);
}

void Renderer::blur(std::vector<uint8_t> &plane, int width, int height, int radius)
{
    if (radius <= 0) {
        return;
    }
    // Two box passes come close to the round blur of a real lens.
    boxPass(plane, width, height, radius, m_line, m_source, m_sums);
    boxPass(plane, width, height, radius, m_line, m_source, m_sums);
}

void Renderer::sharpen(Picture &out, int sharpness)
{
    // Unsharp masking: above 50 the detail is raised, below it softened.
    const int amount = (sharpness - 50) * 384 / 50; // 1.5 at either end, in 1/256
    if (amount == 0) {
        return;
    }
    m_soft = out.y;
    boxPass(m_soft, out.width, out.height, std::max(1, out.width / 640), m_line, m_source, m_sums);
    for (std::size_t i = 0; i < out.y.size(); ++i) {
        const int value = out.y[i];
        out.y[i] = clampByte(value + (amount * (value - int(m_soft[i]))) / 256);
    }
}

void Renderer::drawOsd(const Moment &now, const Osd &osd, Picture &out) const
{
    const int scale = std::max(1, out.height / 200);
    const int margin = 3 * scale;
    if (osd.showDate) {
        drawText(
            out, margin, margin, scale, dateText(now, osd.dateFormat, osd.showWeek, osd.hour12));
    }
    if (osd.showChannelName && !osd.channelName.empty()) {
        drawText(out, margin, out.height - margin - font::Height * scale, scale, osd.channelName);
    }
}

void Renderer::render(double seconds, const Moment &now, const Osd &osd,
    const Adjustments &adjustments, double focus, Picture &out)
{
    out.width = m_background.width;
    out.height = m_background.height;
    out.y = m_background.y;
    out.u = m_background.u;
    out.v = m_background.v;
    drawShapes(seconds, out);
    drawClock(now, out);

    // The lens: out of focus the whole scene is soft, up to a radius that
    // grows with the picture so that every size looks alike.
    const int maxRadius = std::max(2, out.width / 90);
    const int radius = int(std::lround((1.0 - std::clamp(focus, 0.0, 1.0)) * maxRadius));
    blur(out.y, out.width, out.height, radius);
    blur(out.u, out.chromaWidth(), out.chromaHeight(), radius / 2);
    blur(out.v, out.chromaWidth(), out.chromaHeight(), radius / 2);

    sharpen(out, std::clamp(adjustments.sharpness, 0, 100));

    // Brightness shifts, contrast stretches around mid-grey, saturation
    // scales the colour: each through a table, once per pixel.
    const int brightness = std::clamp(adjustments.brightness, 0, 100);
    const int contrast = std::clamp(adjustments.contrast, 0, 100);
    const int saturation = std::clamp(adjustments.saturation, 0, 100);
    uint8_t luma[256];
    uint8_t chroma[256];
    const double gain = 0.2 + 1.6 * contrast / 100.0;
    const double offset = (brightness - 50) * 2.0;
    for (int i = 0; i < 256; ++i) {
        luma[i] = clampByte(int(std::lround((i - 128) * gain + 128 + offset)));
        chroma[i] = clampByte(int(std::lround((i - 128) * saturation / 50.0 + 128)));
    }
    for (uint8_t &value : out.y) {
        value = luma[value];
    }
    for (uint8_t &value : out.u) {
        value = chroma[value];
    }
    for (uint8_t &value : out.v) {
        value = chroma[value];
    }

    // The on-screen display is laid over the picture after the lens and
    // the adjustments, as a camera does.
    drawOsd(now, osd, out);
}

} // namespace scene
