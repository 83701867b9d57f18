#pragma once

#include "focussampler.h"

#include <QLine>
#include <QList>
#include <QPoint>
#include <QRect>

#include <array>
#include <optional>

// The focus curve behind the focus curve widget, without the widget: the
// last 150 focus values, the three drawing phases and what each phase
// draws, in pixels of a widget of a given size.
//
//   sampling     the user sweeps the focus; the curve scrolls five times a
//                second on a grid whose density and scale follow the values
//                seen (four levels, process-wide, only ever raised, so that
//                later runs keep at least the range an earlier one reached)
//   fine-tuning  the curve freezes and is drawn to the recorded range, with
//                a red "BEST" line near its top and the live value's line,
//                green when it lies above the BEST line
//   stopped      the sampling grid alone
class FocusCurve
{
public:
    static constexpr int PointCount = 150;
    static constexpr int GridBase = 15;
    // Value range of one grid and scale level.
    static constexpr int LevelRange = 5000000;

    // One thing to draw: a line, or the "BEST" label in its box.
    struct Item
    {
        enum Kind { Line, BestLabel };
        Kind kind;
        QLine line; // Line
        QRect box; // BestLabel
        Qt::GlobalColor colour;
    };
    // In drawing order.
    using Drawing = QList<Item>;

    // `width`: the widget's width, for the first x positions.
    explicit FocusCurve(int width);

    // The frame callback's half: the newest value and the extremes.
    FocusSampler &sampler() { return m_sampler; }
    const FocusSampler &sampler() const { return m_sampler; }

    void startSampling(unsigned frameRate);
    // Freezes the curve; keeps the extremes and the current value.
    void beginTuning();
    // Clears the curve; `width` is the widget's width now.
    void stop(int width);
    // The 200 ms tick: while sampling, the curve moves one place and the
    // newest value enters at its head.
    void tick();

    // What to draw in a widget of this size now. Painting has two effects
    // of its own: the sampling grid adapts the x positions to a changed
    // width, and the grid and scale levels rise with the current value.
    Drawing paint(int width, int height);

    bool isSampling() const { return m_sampling; }
    bool isTuning() const { return m_tuning; }
    bool isStopped() const { return m_stopped; }
    int sampleCount() const { return m_sampleCount; }
    QPoint point(int index) const { return m_points.at(size_t(index)); }
    int savedHighest() const { return m_savedHighest; }
    int savedLowest() const { return m_savedLowest; }
    int savedCurrent() const { return m_savedCurrent; }

    // The level a value reaches from `level`: 1 to 4, or 0 (a negative value
    // at level 1) when nothing is drawn.
    static int levelFor(int value, int level);
    // The process-wide levels of the sampling grid and curve, from 1.
    static int gridLevel();
    static int scaleLevel();
    // Back to level 1, as at the start of the process.
    static void resetLevels();

    // Rows of the fine-tuning lines in a plot `height` high; none where the
    // range is empty and the row is no number.
    static std::optional<int> liveRow(int current, int savedLowest, int savedHighest, int height);
    static std::optional<int> bestRow(
        int savedCurrent, int savedLowest, int savedHighest, int height);

private:
    void resetPoints(int width);
    void samplingGrid(Drawing &drawing, int value, int width, int height);
    void samplingCurve(Drawing &drawing, int value, int width, int height);
    void tuningGrid(Drawing &drawing, int width, int height) const;
    void tuningCurve(Drawing &drawing, int width, int height) const;
    void bestAndLiveLines(Drawing &drawing, int current, int width, int height) const;

    FocusSampler m_sampler;
    std::array<QPoint, PointCount> m_points; // index 0 the newest
    int m_sampleCount = 0;
    int m_savedHighest = 0;
    int m_savedLowest = 0;
    int m_savedCurrent = 0;
    bool m_sampling = true;
    bool m_tuning = false;
    bool m_stopped = false;
    int m_lastWidth = 0;
};
