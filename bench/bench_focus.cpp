// The focus measure on one thread, on pictures of 704x576, 1920x1080 and
// 3840x2160 luminance bytes:
//   plain       the reference loop, one picture element after the other
//   fast        the kernel the program uses (its name in brackets), and
//               every other kernel this machine runs
//   laplacian   the variance of the Laplacian (OpenCV's Laplacian and
//               meanStdDev), a common sharpness measure, on the same
//               pictures; only when the benchmark was built with OpenCV
// Each figure is the best of three rounds of --seconds S (1) each; pictures
// a second, Gpx/s (10^9 picture elements a second) and the speed-up over
// the plain loop and over the Laplacian variance.

#include "focusmeasure.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#ifdef TERVIX_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

using Measure = std::function<double(const unsigned char *, int, int)>;

struct Size
{
    int width;
    int height;
};

// Grey noise over bars and a ramp: something like a picture, and every
// byte different from its neighbours, so nothing is cheaper than usual.
std::vector<unsigned char> picture(Size size)
{
    std::mt19937 random(12345);
    std::vector<unsigned char> bytes(size_t(size.width) * size_t(size.height));
    for (int row = 0; row < size.height; ++row) {
        for (int column = 0; column < size.width; ++column) {
            const int bar = (column / 24) % 2 != 0 ? 96 : 0;
            const int ramp = row * 100 / size.height;
            bytes[size_t(row) * size_t(size.width) + size_t(column)]
                = static_cast<unsigned char>(std::min(255, bar + ramp + int(random() % 60)));
        }
    }
    return bytes;
}

// Pictures a second: the best of three rounds.
double picturesPerSecond(
    const Measure &measure, const std::vector<unsigned char> &bytes, Size size, double seconds)
{
    using Clock = std::chrono::steady_clock;
    double best = 0;
    volatile double sink = 0;
    for (int round = 0; round < 3; ++round) {
        const Clock::time_point start = Clock::now();
        long count = 0;
        double elapsed = 0;
        do {
            sink = sink + measure(bytes.data(), size.width, size.height);
            ++count;
            elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        } while (elapsed < seconds);
        best = std::max(best, double(count) / elapsed);
    }
    return best;
}

void printRow(const char *name, double rate, Size size, double plainRate, double laplacianRate)
{
    std::printf("  %-22s %10.1f pictures/s %7.3f Gpx/s %7.2fx plain", name, rate,
        rate * size.width * size.height / 1e9, rate / plainRate);
    if (laplacianRate > 0) {
        std::printf(" %7.2fx laplacian", rate / laplacianRate);
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv)
{
    double seconds = 1.0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: bench_focus [--seconds S]\n");
            return 2;
        }
    }
#ifdef TERVIX_BENCH_OPENCV
    cv::setNumThreads(1);
#endif

    const auto kernels = FocusMeasure::availableKernels();
    for (const Size size : { Size { 704, 576 }, Size { 1920, 1080 }, Size { 3840, 2160 } }) {
        const std::vector<unsigned char> bytes = picture(size);
        std::printf("%dx%d, one thread\n", size.width, size.height);

        const double plain = picturesPerSecond(
            [](const unsigned char *luma, int width, int height) {
                return double(FocusMeasure::measurePlain(luma, width, height));
            },
            bytes, size, seconds);
        double laplacian = 0;
#ifdef TERVIX_BENCH_OPENCV
        laplacian = picturesPerSecond(
            [](const unsigned char *luma, int width, int height) {
                const cv::Mat image(height, width, CV_8UC1, const_cast<unsigned char *>(luma));
                cv::Mat edges;
                cv::Laplacian(image, edges, CV_64F);
                cv::Scalar mean, deviation;
                cv::meanStdDev(edges, mean, deviation);
                return deviation[0] * deviation[0];
            },
            bytes, size, seconds);
#endif
        printRow("plain", plain, size, plain, laplacian);
        for (size_t k = 0; k < kernels.size(); ++k) {
            const auto measure = kernels[k].measure;
            const double rate = picturesPerSecond(
                [measure](const unsigned char *luma, int width, int height) {
                    return double(measure(luma, width, height));
                },
                bytes, size, seconds);
            const std::string name = k == 0 ? "fast (" + std::string(kernels[k].name) + ")"
                                            : "  kernel " + std::string(kernels[k].name);
            printRow(name.c_str(), rate, size, plain, laplacian);
        }
        if (laplacian > 0) {
            printRow("laplacian variance", laplacian, size, plain, laplacian);
        } else {
            std::printf("  laplacian variance     not built: OpenCV was not found\n");
        }
    }
    return 0;
}
