#include "focussampler.h"

#include "focusmeasure.h"

namespace {
std::atomic<quint32> g_frameCounter { 1 };
}

void FocusSampler::start(unsigned frameRate)
{
    m_frameRate.store(frameRate, std::memory_order_relaxed);
    m_highest.store(0, std::memory_order_relaxed);
    m_lowest.store(LowestAtStart, std::memory_order_relaxed);
}

void FocusSampler::onFrame(const uchar *picture, int width, int height)
{
    const quint32 counter = g_frameCounter.fetch_add(1, std::memory_order_relaxed);
    if (counter % measureStep(frameRate()) != 0) {
        return;
    }
    record(FocusMeasure::focusValue(picture, width, height));
}

void FocusSampler::record(int value)
{
    m_current.store(value, std::memory_order_relaxed);
    // The extremes have one writer, the decoding thread (start() aside), so
    // a plain comparison before the store is enough.
    if (value > highest()) {
        m_highest.store(value, std::memory_order_relaxed);
    }
    if (value < lowest()) {
        m_lowest.store(value, std::memory_order_relaxed);
    }
}

void FocusSampler::frameCallback(const uchar *picture, int width, int height, void *sampler)
{
    if (sampler != nullptr && picture != nullptr) {
        static_cast<FocusSampler *>(sampler)->onFrame(picture, width, height);
    }
}

unsigned FocusSampler::measureStep(unsigned frameRate)
{
    return frameRate / 5 == 0 ? 1 : frameRate / 5;
}

quint32 FocusSampler::frameCounter()
{
    return g_frameCounter.load(std::memory_order_relaxed);
}
