#include "focusmeasure.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define TERVIX_FOCUS_X86 1
#include <immintrin.h>
#endif

namespace {

std::atomic<bool> g_enabled { false };

constexpr quint32 InputGain = 955343;

// Wrap-around arithmetic: sums and products run on quint32, defined modulo
// 2^32 (signed overflow would be undefined, and optimisers would act on
// it); shifts act on the signed reading of the bits, arithmetic in C++20.
constexpr qint32 sar(quint32 value, int bits)
{
    return qint32(value) >> bits;
}

// |value| as bits; the smallest value stays itself.
constexpr quint32 magnitudeOf(qint32 value)
{
    return value < 0 ? 0u - quint32(value) : quint32(value);
}

// Byte k of the picture; before the picture there is nothing to read, and 0
// stands in.
inline qint32 byteAt(const uchar *luma, qint64 k)
{
    return k < 0 ? 0 : luma[k];
}

// The six-tap smoothing at byte k: the window reaches five bytes back,
// across the start of the row.
inline qint32 smoothedAt(const uchar *luma, qint64 k)
{
    return (byteAt(luma, k - 5)
               + 8
                   * (byteAt(luma, k - 4) + byteAt(luma, k - 3) + byteAt(luma, k - 2)
                       + byteAt(luma, k - 1))
               + byteAt(luma, k))
        >> 5;
}

// --- the portable kernel: four rows interleaved in plain integers --------

namespace rows {

constexpr int Lanes = 4;
constexpr int Groups = 1;

struct V
{
    quint32 lane[Lanes];
};

#define FOCUS_TARGET
#define FOCUS_LANEWISE(expression)                                                                 \
    V r;                                                                                           \
    for (int i = 0; i < Lanes; ++i) {                                                              \
        r.lane[i] = (expression);                                                                  \
    }                                                                                              \
    return r

inline V zero()
{
    return V {};
}
inline V add(V a, V b)
{
    FOCUS_LANEWISE(a.lane[i] + b.lane[i]);
}
inline V sub(V a, V b)
{
    FOCUS_LANEWISE(a.lane[i] - b.lane[i]);
}
inline V mul(V a, quint32 c)
{
    FOCUS_LANEWISE(a.lane[i] * c);
}
inline V mulLow(V a, quint32 c)
{
    FOCUS_LANEWISE(a.lane[i] * c);
}
template<int N> inline V sra(V a)
{
    FOCUS_LANEWISE(quint32(sar(a.lane[i], N)));
}
template<int N> inline V sll(V a)
{
    FOCUS_LANEWISE(a.lane[i] << N);
}
inline V low15(V a)
{
    FOCUS_LANEWISE(a.lane[i] & 0x7FFFu);
}
inline V magnitude(V a)
{
    FOCUS_LANEWISE(magnitudeOf(qint32(a.lane[i])));
}

inline V fromLanes(const quint32 *values)
{
    FOCUS_LANEWISE(values[i]);
}
#undef FOCUS_LANEWISE

inline void loadColumns(const uchar *const *rowStart, int column, V *out)
{
    for (int c = 0; c < Lanes; ++c) {
        for (int i = 0; i < Lanes; ++i) {
            out[c].lane[i] = rowStart[i][column + c];
        }
    }
}

inline quint32 sumLanes(V a, int lanes)
{
    quint32 sum = 0;
    for (int i = 0; i < lanes; ++i) {
        sum += a.lane[i];
    }
    return sum;
}

#include "focuslanes.inc"
#undef FOCUS_TARGET

} // namespace rows

#ifdef TERVIX_FOCUS_X86

// --- SSE2: four rows in one register ------------------------------------

namespace sse2 {

constexpr int Lanes = 4;
constexpr int Groups = 2;
using V = __m128i;

#define FOCUS_TARGET __attribute__((target("sse2")))
#define FOCUS_INLINE FOCUS_TARGET static inline __attribute__((always_inline))

FOCUS_INLINE V zero()
{
    return _mm_setzero_si128();
}
FOCUS_INLINE V add(V a, V b)
{
    return _mm_add_epi32(a, b);
}
FOCUS_INLINE V sub(V a, V b)
{
    return _mm_sub_epi32(a, b);
}
// SSE2 multiplies two of the four lanes at a time, to 64 bits.
FOCUS_INLINE V mul(V a, quint32 c)
{
    const V factor = _mm_set1_epi32(int(c));
    const V even = _mm_mul_epu32(a, factor);
    const V odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), factor);
    return _mm_or_si128(_mm_and_si128(even, _mm_set_epi32(0, -1, 0, -1)), _mm_slli_epi64(odd, 32));
}
// A lane below 2^15 is the 16-bit pair (a, 0), and so is the factor.
FOCUS_INLINE V mulLow(V a, quint32 c)
{
    return _mm_madd_epi16(a, _mm_set1_epi32(int(c)));
}
template<int N> FOCUS_INLINE V sra(V a)
{
    return _mm_srai_epi32(a, N);
}
FOCUS_INLINE V low15(V a)
{
    return _mm_and_si128(a, _mm_set1_epi32(0x7FFF));
}
FOCUS_INLINE V magnitude(V a)
{
    const V sign = _mm_srai_epi32(a, 31);
    return _mm_sub_epi32(_mm_xor_si128(a, sign), sign);
}
template<int N> FOCUS_INLINE V sll(V a)
{
    return _mm_slli_epi32(a, N);
}
FOCUS_INLINE V fromLanes(const quint32 *values)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(values));
}
// Four bytes of four rows, transposed and widened.
FOCUS_INLINE void loadColumns(const uchar *const *rowStart, int column, V *out)
{
    V r[Lanes];
    for (int i = 0; i < Lanes; ++i) {
        qint32 bytes;
        std::memcpy(&bytes, rowStart[i] + column, sizeof bytes);
        r[i] = _mm_cvtsi32_si128(bytes);
    }
    const V columns
        = _mm_unpacklo_epi16(_mm_unpacklo_epi8(r[0], r[1]), _mm_unpacklo_epi8(r[2], r[3]));
    const V none = _mm_setzero_si128();
    const V low = _mm_unpacklo_epi8(columns, none);
    const V high = _mm_unpackhi_epi8(columns, none);
    out[0] = _mm_unpacklo_epi16(low, none);
    out[1] = _mm_unpackhi_epi16(low, none);
    out[2] = _mm_unpacklo_epi16(high, none);
    out[3] = _mm_unpackhi_epi16(high, none);
}
FOCUS_INLINE quint32 sumLanes(V a, int lanes)
{
    alignas(16) quint32 lane[Lanes];
    _mm_store_si128(reinterpret_cast<__m128i *>(lane), a);
    quint32 sum = 0;
    for (int i = 0; i < lanes; ++i) {
        sum += lane[i];
    }
    return sum;
}

#include "focuslanes.inc"
#undef FOCUS_INLINE
#undef FOCUS_TARGET

} // namespace sse2

// --- AVX2: eight rows in one register ------------------------------------

namespace avx2 {

constexpr int Lanes = 8;
constexpr int Groups = 2;
using V = __m256i;

#define FOCUS_TARGET __attribute__((target("avx2")))
#define FOCUS_INLINE FOCUS_TARGET static inline __attribute__((always_inline))

FOCUS_INLINE V zero()
{
    return _mm256_setzero_si256();
}
FOCUS_INLINE V add(V a, V b)
{
    return _mm256_add_epi32(a, b);
}
FOCUS_INLINE V sub(V a, V b)
{
    return _mm256_sub_epi32(a, b);
}
FOCUS_INLINE V mul(V a, quint32 c)
{
    return _mm256_mullo_epi32(a, _mm256_set1_epi32(int(c)));
}
FOCUS_INLINE V mulLow(V a, quint32 c)
{
    return _mm256_madd_epi16(a, _mm256_set1_epi32(int(c)));
}
template<int N> FOCUS_INLINE V sra(V a)
{
    return _mm256_srai_epi32(a, N);
}
FOCUS_INLINE V low15(V a)
{
    return _mm256_and_si256(a, _mm256_set1_epi32(0x7FFF));
}
FOCUS_INLINE V magnitude(V a)
{
    return _mm256_abs_epi32(a);
}
template<int N> FOCUS_INLINE V sll(V a)
{
    return _mm256_slli_epi32(a, N);
}
FOCUS_INLINE V fromLanes(const quint32 *values)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(values));
}
// Eight bytes of eight rows, transposed in 16-byte registers (two columns
// to a register), then widened.
FOCUS_INLINE void loadColumns(const uchar *const *rowStart, int column, V *out)
{
    __m128i r[Lanes];
    for (int i = 0; i < Lanes; ++i) {
        r[i] = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(rowStart[i] + column));
    }
    const __m128i a0 = _mm_unpacklo_epi8(r[0], r[1]), a1 = _mm_unpacklo_epi8(r[2], r[3]);
    const __m128i a2 = _mm_unpacklo_epi8(r[4], r[5]), a3 = _mm_unpacklo_epi8(r[6], r[7]);
    const __m128i b0 = _mm_unpacklo_epi16(a0, a1), b1 = _mm_unpackhi_epi16(a0, a1);
    const __m128i b2 = _mm_unpacklo_epi16(a2, a3), b3 = _mm_unpackhi_epi16(a2, a3);
    const __m128i pairs[4] = { _mm_unpacklo_epi32(b0, b2), _mm_unpackhi_epi32(b0, b2),
        _mm_unpacklo_epi32(b1, b3), _mm_unpackhi_epi32(b1, b3) };
    for (int i = 0; i < 4; ++i) {
        out[2 * i] = _mm256_cvtepu8_epi32(pairs[i]);
        out[2 * i + 1] = _mm256_cvtepu8_epi32(_mm_srli_si128(pairs[i], 8));
    }
}
FOCUS_INLINE quint32 sumLanes(V a, int lanes)
{
    alignas(32) quint32 lane[Lanes];
    _mm256_store_si256(reinterpret_cast<__m256i *>(lane), a);
    quint32 sum = 0;
    for (int i = 0; i < lanes; ++i) {
        sum += lane[i];
    }
    return sum;
}

#include "focuslanes.inc"
#undef FOCUS_INLINE
#undef FOCUS_TARGET

} // namespace avx2

#endif // TERVIX_FOCUS_X86

// The kernels, fastest first, with what the processor must offer.
struct Candidate
{
    FocusMeasure::Kernel kernel;
    bool (*supported)();
};

const Candidate Candidates[] = {
#ifdef TERVIX_FOCUS_X86
    { { "avx2", avx2::measureLanes }, [] { return bool(__builtin_cpu_supports("avx2")); } },
    { { "sse2", sse2::measureLanes }, [] { return bool(__builtin_cpu_supports("sse2")); } },
#endif
    { { "rows", rows::measureLanes }, [] { return true; } },
};

std::vector<FocusMeasure::Kernel> supportedKernels()
{
    std::vector<FocusMeasure::Kernel> kernels;
    for (const Candidate &candidate : Candidates) {
        if (candidate.supported()) {
            kernels.push_back(candidate.kernel);
        }
    }
    return kernels;
}

const std::vector<FocusMeasure::Kernel> &kernels()
{
    static const std::vector<FocusMeasure::Kernel> list = supportedKernels();
    return list;
}

} // namespace

namespace FocusMeasure {

qint32 measurePlain(const uchar *luma, int width, int height)
{
    if (luma == nullptr || width <= 0 || height <= 0) {
        return 0;
    }
    quint32 total = 0;
    for (qint64 r = 0; r < height; ++r) {
        qint32 y1 = 0, y2 = 0, y3 = 0; // previous outputs, y1 the newest
        qint32 s1 = 0, s2 = 0, s3 = 0; // previous smoothed samples
        for (qint64 n = 0; n < width; ++n) {
            const qint32 s = smoothedAt(luma, r * width + n);
            const qint32 y1h = y1 >> 15, y1l = y1 & 0x7FFF;
            const qint32 y2h = y2 >> 15, y2l = y2 & 0x7FFF;
            const qint32 y3h = y3 >> 15, y3l = y3 & 0x7FFF;
            const qint32 t1 = sar(26u * quint32(y3l) + 90u * quint32(y1l) - 84u * quint32(y2l), 5);
            const qint32 t2
                = sar(18432u * quint32(y3l) - 20670u * quint32(y2l) + 1466u * quint32(y1l), 20);
            const qint32 t3
                = sar(18432u * quint32(y3h) - 20670u * quint32(y2h) + 1466u * quint32(y1h), 5);
            const qint32 y = qint32(quint32(t1) + quint32(t2) + quint32(t3)
                + InputGain * quint32(s - 3 * s1 + 3 * s2 - s3) - 86016u * quint32(y2h)
                + 92160u * quint32(y1h) + 26624u * quint32(y3h));
            total += quint32(sar(magnitudeOf(y), 20));
            y3 = y2;
            y2 = y1;
            y1 = y;
            s3 = s2;
            s2 = s1;
            s1 = s;
        }
    }
    return qint32(total);
}

qint32 measureFast(const uchar *luma, int width, int height)
{
    static const auto measure = kernels().front().measure;
    return measure(luma, width, height);
}

std::span<const Kernel> availableKernels()
{
    return kernels();
}

void setEnabled(bool enabled)
{
    g_enabled.store(enabled, std::memory_order_relaxed);
}

bool isEnabled()
{
    return g_enabled.load(std::memory_order_relaxed);
}

qint32 focusValue(const uchar *luma, int width, int height)
{
    return isEnabled() ? measureFast(luma, width, height) : 1;
}

} // namespace FocusMeasure
