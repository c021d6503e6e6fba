// Finds the program's cues in a recording of what it played: for every cue, each place where
// the whole of its sound is in the recording, at its own loudness.
//   tovrin-cue-finder RECORDING.raw SOUND.wav...
// The recording is raw 16-bit samples, one channel, at the cues' own rate (the sound server's
// null sink at that rate passes them through unchanged). Prints one line per cue heard:
//   SOUND.wav SECONDS SHARE
// where SHARE is how much of the cue's sound is there (1 for the whole of it). Cues heard at
// the same time add up; the matched filter takes each out of the sum.
#include "ui/cues.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Complex = std::complex<double>;

void fft(std::vector<Complex>& a, bool inverse)
{
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = 2 * M_PI / static_cast<double>(len) * (inverse ? 1 : -1);
        const Complex step(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += len) {
            Complex w(1);
            for (std::size_t k = 0; k < len / 2; ++k) {
                const Complex u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
    if (inverse)
        for (Complex& x : a)
            x /= static_cast<double>(n);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: tovrin-cue-finder RECORDING.raw SOUND.wav...\n", stderr);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<double> recording(raw.size() / 2);
    for (std::size_t i = 0; i < recording.size(); ++i)
        recording[i] = static_cast<std::int16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                                 (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
    std::size_t n = 1;
    while (n < recording.size() + 1)
        n <<= 1;
    std::vector<Complex> heard(n);
    std::copy(recording.begin(), recording.end(), heard.begin());
    fft(heard, false);

    for (int f = 2; f < argc; ++f) {
        std::vector<std::int16_t> cue;
        try {
            cue = tovrin::readWaveFile(argv[f]);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 2;
        }
        double energy = 0;
        for (std::int16_t s : cue)
            energy += double(s) * s;
        if (cue.empty() || energy == 0 || cue.size() > recording.size())
            continue;
        // corr[p] = sum over i of cue[i] * recording[p + i]
        std::vector<Complex> c(n);
        std::copy(cue.begin(), cue.end(), c.begin());
        fft(c, false);
        for (std::size_t i = 0; i < n; ++i)
            c[i] = heard[i] * std::conj(c[i]);
        fft(c, true);
        const std::size_t last = recording.size() - cue.size();
        const auto length = static_cast<std::ptrdiff_t>(cue.size());
        for (std::size_t p = 0; p <= last; ++p) {
            const double share = c[p].real() / energy;
            if (share < 0.5)
                continue;
            // The onset is the best match within a cue's length either side: a cue does not
            // start again while it sounds.
            const std::size_t from = static_cast<std::size_t>(
                std::max<std::ptrdiff_t>(0, static_cast<std::ptrdiff_t>(p) - length));
            const std::size_t to = std::min(last, p + cue.size());
            bool best = true;
            for (std::size_t q = from; q <= to && best; ++q)
                best = c[q].real() < c[p].real() || (c[q].real() == c[p].real() && q >= p);
            if (best)
                std::printf("%s %.3f %.3f\n", argv[f], static_cast<double>(p) / tovrin::kCueRate,
                            share);
        }
    }
    return 0;
}
