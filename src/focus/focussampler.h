#pragma once

#include <QtGlobal>

#include <atomic>

// What the focus frame callback keeps of the live pictures: the newest
// focus value and the extremes since sampling started. Pictures arrive on
// the decoding library's thread while the user-interface thread reads;
// every value is a single 32-bit atomic, relaxed, so that each read sees a
// whole value and no lock is taken.
class FocusSampler
{
public:
    // The lowest value before the first measure of a sampling run.
    static constexpr int LowestAtStart = 20000000;

    // A new sampling run at `frameRate` pictures a second: the highest value
    // goes back to 0 and the lowest to LowestAtStart.
    void start(unsigned frameRate);

    // One decoded picture, its luminance plane first. Every measureStep-th
    // picture of the process is measured (the frame counter is shared by
    // all samplers), which gives five values a second.
    void onFrame(const uchar *picture, int width, int height);
    // One measured value: the current one, and the extremes move out to it.
    void record(int value);
    // onFrame as a preview's frame callback; `sampler` is the FocusSampler.
    static void frameCallback(const uchar *picture, int width, int height, void *sampler);

    int current() const { return m_current.load(std::memory_order_relaxed); }
    int highest() const { return m_highest.load(std::memory_order_relaxed); }
    int lowest() const { return m_lowest.load(std::memory_order_relaxed); }
    unsigned frameRate() const { return m_frameRate.load(std::memory_order_relaxed); }

    // frameRate / 5, at least 1.
    static unsigned measureStep(unsigned frameRate);
    // Pictures seen by the frame callbacks of the process, counting from 1.
    static quint32 frameCounter();

private:
    std::atomic<unsigned> m_frameRate { 0 };
    std::atomic<int> m_current { 0 };
    std::atomic<int> m_highest { 0 };
    std::atomic<int> m_lowest { 0 };
};
