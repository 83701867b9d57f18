#include "focuscurve.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

std::atomic<int> g_gridLevel { 1 };
std::atomic<int> g_scaleLevel { 1 };

// The level `value` reaches from the process-wide `level`, which rises to
// it; 0 when nothing is drawn.
int takeLevel(std::atomic<int> &level, int value)
{
    const int reached = FocusCurve::levelFor(value, level.load(std::memory_order_relaxed));
    if (reached != 0) {
        level.store(reached, std::memory_order_relaxed);
    }
    return reached;
}

// A computed position as a pixel: none when it is no number (an empty range
// divides zero by zero); anything else is held to within one pixel outside
// [0, extent), so that degenerate ranges draw off the edge, never wrap.
std::optional<int> toPixel(double position, int extent)
{
    if (std::isnan(position)) {
        return std::nullopt;
    }
    return int(std::clamp(position, -1.0, double(extent)));
}

// A line and the same line one pixel lower.
void addDoubleLine(FocusCurve::Drawing &drawing, const QLine &line, Qt::GlobalColor colour)
{
    drawing.append({ FocusCurve::Item::Line, line, {}, colour });
    drawing.append({ FocusCurve::Item::Line, line.translated(0, 1), {}, colour });
}

void addHorizontal(FocusCurve::Drawing &drawing, int y, int width, Qt::GlobalColor colour)
{
    drawing.append({ FocusCurve::Item::Line, QLine(0, y, width - 1, y), {}, colour });
}

// Horizontal lines i = 0 .. lines, from the bottom row up.
void addGridRows(FocusCurve::Drawing &drawing, qint64 lines, int width, int height)
{
    const int bottom = height - 1;
    for (qint64 i = 0; i <= lines; ++i) {
        addHorizontal(drawing, int(bottom - (qint64(height - 1) * i) / lines), width, Qt::yellow);
    }
}

} // namespace

FocusCurve::FocusCurve(int width) : m_lastWidth(width)
{
    resetPoints(width);
}

void FocusCurve::resetPoints(int width)
{
    const int spacing = (std::max(width, 0) + PointCount - 1) / PointCount;
    for (int i = 0; i < PointCount; ++i) {
        m_points[size_t(i)] = QPoint(i * spacing, 0);
    }
}

void FocusCurve::startSampling(unsigned frameRate)
{
    m_sampler.start(frameRate);
    m_sampling = true;
}

void FocusCurve::beginTuning()
{
    m_sampling = false;
    m_tuning = true;
    m_savedHighest = m_sampler.highest();
    m_savedLowest = m_sampler.lowest();
    m_savedCurrent = m_sampler.current();
}

void FocusCurve::stop(int width)
{
    m_stopped = true;
    m_tuning = false;
    m_sampling = false;
    resetPoints(width);
    m_sampleCount = 0;
}

void FocusCurve::tick()
{
    if (!m_sampling) {
        return;
    }
    for (int i = PointCount - 1; i > 0; --i) {
        m_points[size_t(i)].setY(m_points[size_t(i - 1)].y());
    }
    m_points[0].setY(m_sampler.current());
    m_sampleCount = std::min(m_sampleCount + 1, PointCount);
}

FocusCurve::Drawing FocusCurve::paint(int width, int height)
{
    Drawing drawing;
    if (width <= 0 || height <= 0) {
        return drawing;
    }
    // One reading for the whole picture: the decoding thread moves it on.
    const int current = m_sampler.current();
    if (m_sampling) {
        m_stopped = false;
        samplingGrid(drawing, current, width, height);
        samplingCurve(drawing, current, width, height);
    } else if (m_tuning) {
        tuningGrid(drawing, width, height);
        tuningCurve(drawing, width, height);
        bestAndLiveLines(drawing, current, width, height);
    } else if (m_stopped) {
        samplingGrid(drawing, current, width, height);
    }
    return drawing;
}

int FocusCurve::levelFor(int value, int level)
{
    if (value > 3 * LevelRange || level >= 4) {
        return 4;
    }
    if ((value > 2 * LevelRange && value <= 3 * LevelRange) || level == 3) {
        return 3;
    }
    if ((value > LevelRange && value <= 2 * LevelRange) || level == 2) {
        return 2;
    }
    if (value >= 0 && value <= LevelRange && level == 1) {
        return 1;
    }
    return 0;
}

int FocusCurve::gridLevel()
{
    return g_gridLevel.load(std::memory_order_relaxed);
}

int FocusCurve::scaleLevel()
{
    return g_scaleLevel.load(std::memory_order_relaxed);
}

void FocusCurve::resetLevels()
{
    g_gridLevel.store(1, std::memory_order_relaxed);
    g_scaleLevel.store(1, std::memory_order_relaxed);
}

void FocusCurve::samplingGrid(Drawing &drawing, int value, int width, int height)
{
    const int level = takeLevel(g_gridLevel, value);
    if (level != 0) {
        // Levels 1 to 4 draw 5, 10, 15 and 20 lines.
        const int lines = GridBase + 5 * (level - 3);
        drawing.append({ Item::Line, QLine(0, height - 1, 0, 0), {}, Qt::yellow });
        addGridRows(drawing, lines, width, height);
    }
    if (width != m_lastWidth) {
        for (int i = 1; i < PointCount; ++i) {
            m_points[size_t(i)].setX(int(double(width) * (i + 1) / PointCount));
        }
        m_lastWidth = width;
    }
}

void FocusCurve::samplingCurve(Drawing &drawing, int value, int width, int height)
{
    const int level = takeLevel(g_scaleLevel, value);
    if (level == 0) {
        return;
    }
    const qint64 valuesPerPixel = qint64(level) * LevelRange / height;
    if (valuesPerPixel == 0) {
        return;
    }
    m_sampleCount = std::min(m_sampleCount, PointCount);
    const auto at = [&](int i) {
        const QPoint &point = m_points[size_t(i)];
        return QPoint(*toPixel(double(width) - point.x(), width),
            *toPixel(double(height) - double(point.y() / valuesPerPixel), height));
    };
    for (int i = 1; i < m_sampleCount && m_points[size_t(i)].y() != 0; ++i) {
        addDoubleLine(drawing, QLine(at(i - 1), at(i)), Qt::cyan);
    }
}

void FocusCurve::tuningGrid(Drawing &drawing, int width, int height) const
{
    const qint64 lines = (qint64(m_savedHighest) - m_savedLowest) / 1000000 + 2;
    if (lines > 0) {
        addGridRows(drawing, lines, width, height);
    }
}

void FocusCurve::tuningCurve(Drawing &drawing, int width, int height) const
{
    const int count = std::min(m_sampleCount, PointCount);
    const double w = width;
    const double h = height;
    const double lowest = m_savedLowest;
    const double range = double(m_savedHighest) - lowest;
    const auto x = [&](int j) { return toPixel((w - 50) * (w - w * j / count) / w + 20, width); };
    const auto y = [&](int value) {
        return toPixel((h - 100) * (h - h * ((value - lowest) / range)) / h + 50, height);
    };
    for (int i = 1; i < count && m_points[size_t(i)].y() != 0; ++i) {
        const auto x0 = x(i - 1), x1 = x(i);
        const auto y0 = y(m_points[size_t(i - 1)].y()), y1 = y(m_points[size_t(i)].y());
        if (x0 && x1 && y0 && y1) {
            addDoubleLine(drawing, QLine(*x0, *y0, *x1, *y1), Qt::cyan);
        }
    }
}

std::optional<int> FocusCurve::liveRow(int current, int savedLowest, int savedHighest, int height)
{
    const double h = height;
    const double range = double(savedHighest) - savedLowest;
    return toPixel(
        (h - 100) * (h - (double(current) - savedLowest) / (range / h)) / h + 50, height);
}

std::optional<int> FocusCurve::bestRow(
    int savedCurrent, int savedLowest, int savedHighest, int height)
{
    const double h = height;
    const double range = double(savedHighest) - savedLowest;
    return toPixel(
        (h - 100) * (h - (double(savedCurrent) - savedLowest) / (range / h)) / h / 15 + 50, height);
}

void FocusCurve::bestAndLiveLines(Drawing &drawing, int current, int width, int height) const
{
    const std::optional<int> best = bestRow(m_savedCurrent, m_savedLowest, m_savedHighest, height);
    const std::optional<int> live = liveRow(current, m_savedLowest, m_savedHighest, height);
    if (best) {
        addHorizontal(drawing, *best, width, Qt::red);
        addHorizontal(drawing, *best + 1, width, Qt::red);
        drawing.append({ Item::BestLabel, {}, QRect(width - 50, *best - 30, 50, 20), Qt::green });
    }
    if (live) {
        // Above the BEST line (a smaller row) is good enough.
        const Qt::GlobalColor colour = best && *live < *best ? Qt::green : Qt::red;
        addHorizontal(drawing, *live, width, colour);
        addHorizontal(drawing, *live + 1, width, colour);
    }
}
