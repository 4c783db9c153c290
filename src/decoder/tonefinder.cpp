#include "tonefinder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace decoder {

namespace {

constexpr double lowestPitch = 300, highestPitch = 3500;
constexpr double meanSeconds = 0.25;  // how long a peak's power is averaged over
constexpr double floorSeconds = 1.5;  // how slowly a bin's floor rises after a dip
constexpr double lockScore = 5;       // a peak this far out of its floor is a keyed tone
constexpr int lockHops = 8;           // and it stays where it is this many hops in a row
constexpr double jumpSeconds = 1.0;   // another peak twice as strong for this long is followed instead
constexpr double loseSeconds = 8.0;   // a followed peak that stays in the noise this long is let go
constexpr double burstRatio = 4;      // the band's median power this far over its usual is a burst...
constexpr double crackRatio = 6000;   // ...unless the band's peak stands this far (38 dB) over it
constexpr int nearBins = 3;           // how far a followed peak may move in a hop

// The spectrum in place, radix 2; `twiddles` holds exp(-2πik/n) for k < n/2.
void transform(std::vector<std::complex<float>>& a, const std::vector<std::complex<float>>& twiddles)
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
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const std::size_t stride = n / length;
        for (std::size_t start = 0; start < n; start += length)
            for (std::size_t k = 0; k < length / 2; ++k) {
                const std::complex<float> odd = a[start + k + length / 2] * twiddles[k * stride];
                a[start + k + length / 2] = a[start + k] - odd;
                a[start + k] += odd;
            }
    }
}

}  // namespace

ToneFinder::ToneFinder(double rate)
    : rate_(rate)
      // About 40 ms a frame: bins of 20-30 Hz, narrow enough to find a weak
      // tone in the noise, short enough to see a 40 wpm dot come and go.
      ,
      n_(int(std::bit_floor(unsigned(rate * 0.055))))
{
    ring_.assign(std::size_t(n_), 0.f);
    window_.resize(std::size_t(n_));
    for (int i = 0; i < n_; ++i)
        window_[std::size_t(i)] = float(0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / n_));
    buffer_.resize(std::size_t(n_));
    twiddles_.resize(std::size_t(n_ / 2));
    for (int k = 0; k < n_ / 2; ++k)
        twiddles_[std::size_t(k)] = std::polar(1.f, float(-2 * std::numbers::pi * k / n_));
    const double binHz = rate_ / n_;
    fromBin_ = std::max(2, int(std::ceil(lowestPitch / binHz)));
    toBin_ = std::min(n_ / 2 - 2, int(std::floor(highestPitch / binHz)));
    power_.assign(std::size_t(n_ / 2), 0.0);
    mean_ = recent_ = low_ = localNoise_ = power_;
}

bool ToneFinder::push(float sample)
{
    ring_[std::size_t(samples_ % n_)] = sample;
    ++samples_;
    if (++hopCount_ < hop())
        return false;
    hopCount_ = 0;
    analyse();
    return true;
}

double ToneFinder::score(int bin) const
{
    const auto k = std::size_t(bin);
    // How much the power comes and goes, against the noise around and the
    // bin's own floor: a steady tone's floor is itself, a keyed one's the noise.
    return (mean_[k] - low_[k]) / std::max(low_[k] + localNoise_[k], 1e-20);
}

int ToneFinder::bestBin(int from, int to) const
{
    from = std::max(from, fromBin_);
    to = std::min(to, toBin_);
    int best = from;
    for (int k = from; k <= to; ++k)
        if (score(k) > score(best))
            best = k;
    return best;
}

bool ToneFinder::clear(int bin) const
{
    const auto k = std::size_t(std::clamp(bin, fromBin_, toBin_));
    return mean_[k] > 20 * localNoise_[k];
}

int ToneFinder::peakNear(int bin, int reach, const std::vector<double>& power) const
{
    int peak = std::clamp(bin, fromBin_, toBin_);
    for (int k = std::max(bin - reach, fromBin_); k <= std::min(bin + reach, toBin_); ++k)
        if (power[std::size_t(k)] > power[std::size_t(peak)])
            peak = k;
    return peak;
}

double ToneFinder::refine(int bin, const std::vector<double>& power) const
{
    // The peak between bins: a parabola through the log power of three.
    const auto at = [&](int k) { return std::log(std::max(power[std::size_t(k)], 1e-30)); };
    const double l = at(bin - 1), c = at(bin), r = at(bin + 1);
    const double curve = l - 2 * c + r;
    const double offset = curve < 0 ? std::clamp(0.5 * (l - r) / curve, -0.5, 0.5) : 0.0;
    return (bin + offset) * rate_ / n_;
}

void ToneFinder::analyse()
{
    for (int i = 0; i < n_; ++i)
        buffer_[std::size_t(i)] = {ring_[std::size_t((samples_ + i) % n_)] * window_[std::size_t(i)], 0.f};
    transform(buffer_, twiddles_);
    for (int k = fromBin_ - 1; k <= toBin_ + 1; ++k)
        power_[std::size_t(k)] = std::norm(buffer_[std::size_t(k)]);

    // A click, a bang or a shout raises the whole band at once, which no
    // tone does: the band's median says so. But a loud tone cracked for a
    // tenth of a millisecond (a browser's or a Bluetooth microphone's
    // dropped samples) raises it too, far under the tone itself, which is
    // heard through it as well as ever; far under the tone as it has lately
    // been, too, when the crack falls in a frame that holds only its edge.
    std::vector<double> band(power_.begin() + fromBin_, power_.begin() + toBin_ + 1);
    const double peak = *std::max_element(band.begin(), band.end());
    std::nth_element(band.begin(), band.begin() + std::ptrdiff_t(band.size() / 2), band.end());
    bandNoise_ = band[band.size() / 2];
    ++frames_;
    const double hopSeconds = hop() / rate_;
    if (frames_ == 1)
        burstFloor_ = bandNoise_;
    impulsive_
        = frames_ > 4 && bandNoise_ > burstRatio * burstFloor_ && std::max(peak, toneLevel_) < crackRatio * bandNoise_;
    if (impulsive_)
        return;  // nothing learnt from a burst
    burstFloor_ += std::min(1.0, hopSeconds / 1.0) * (bandNoise_ - burstFloor_);
    if (bandNoise_ < burstFloor_)
        burstFloor_ = bandNoise_;

    const double meanStep = std::min(1.0, hopSeconds / meanSeconds);
    const double riseStep = hopSeconds / floorSeconds;
    for (int k = fromBin_ - 1; k <= toBin_ + 1; ++k) {
        const auto i = std::size_t(k);
        const double p = power_[i];
        mean_[i] += meanStep * (p - mean_[i]);
        recent_[i] += 0.5 * (p - recent_[i]);
        low_[i] += (p < low_[i] || frames_ == 1 ? 0.5 : riseStep) * (p - low_[i]);
    }
    // A bin's noise: the median floor around it, less the peak's own few
    // bins; a median, so that another tone nearby does not count as noise.
    std::vector<double> around;
    for (int k = fromBin_; k <= toBin_; ++k) {
        around.clear();
        for (int j = std::max(k - 10, fromBin_ - 1); j <= std::min(k + 10, toBin_ + 1); ++j)
            if (std::abs(j - k) > 2)
                around.push_back(low_[std::size_t(j)]);
        std::nth_element(around.begin(), around.begin() + std::ptrdiff_t(around.size() / 2), around.end());
        localNoise_[std::size_t(k)] = around[around.size() / 2];
    }
    if (frames_ < 8)
        return;  // averages still filling

    // Which tone is ours is the score's to say; where a clear one is, the
    // power's: the score of a clean tone's neighbours, which its onset and
    // its window spill into, stands as high as its own, and the best of them
    // wanders from hop to hop, delaying the lock and setting it off pitch.
    // (In a weak one the noise moves the power's peak more than the score's.)
    int best = bestBin(fromBin_, toBin_);
    if (const int loudest = peakNear(best, nearBins, mean_); clear(loudest))
        best = loudest;
    // A keyed tone far louder than the best score is ours, whatever that
    // score: a loud tone's own cracks (dropped samples) raise the floor
    // around it, and a splinter of them elsewhere, thousands of times
    // weaker, may score higher. (A steady tone scores low: not keyed.)
    if (const int loudest = peakNear(fromBin_, toBin_ - fromBin_, mean_);
        clear(loudest) && score(loudest) > lockScore && mean_[std::size_t(best)] * 1000 < mean_[std::size_t(loudest)])
        best = loudest;
    if (!locked_) {
        // A weak tone's score wavers about the mark (its bin's floor rises
        // through a run of dashes): while it stays the best, not far under
        // the mark, the hops it stood out keep counting.
        const bool same = std::abs(best - candidate_) <= 1;
        if (same && score(best) > lockScore)
            ++strongFrames_;
        else if (!same || score(best) < lockScore / 2)
            strongFrames_ = score(best) > lockScore ? 1 : 0;
        candidate_ = best;
        // A tone standing far out of the noise is taken at once.
        if (strongFrames_ >= lockHops || (strongFrames_ >= 3 && score(best) > 4 * lockScore)) {
            locked_ = true;
            pitch_ = refine(best, mean_);
            silentHops_ = 0;
            quietFrames_ = betterFrames_ = 0;
        }
        return;
    }
    const int here = int(std::lround(pitch_ * n_ / rate_));
    // A whistle drifts on through a word's gap: the longer the silence, the
    // farther from where it was the tone may come back.
    const int reach = std::min(nearBins + silentHops_ / 4, 3 * nearBins);
    // A strong tone is followed by the last few hops' power, a weak one by
    // the longer average, whose peak the noise moves less.
    const int near = peakNear(here, reach, clear(here) ? recent_ : mean_);
    if (std::abs(best - near) > reach && score(best) > 2 * score(near) && score(best) > lockScore)
        ++betterFrames_;
    else
        betterFrames_ = 0;
    if (betterFrames_ * hopSeconds > jumpSeconds) {
        pitch_ = refine(best, mean_);
        betterFrames_ = 0;
        return;
    }
    // Follow the peak while it sounds; in the gaps there is only noise to follow.
    const auto i = std::size_t(near);
    // Followed where a frame holds the tone: far out of the noise, and not
    // far under what the tone has lately been (a silence's noise is not it).
    toneLevel_ *= 0.995;
    if (power_[i] > 6 * std::max(low_[i], localNoise_[i]) && power_[i] > 0.05 * toneLevel_) {
        toneLevel_ = std::max(toneLevel_, power_[i]);
        // A weak frame's peak is the noise's as much as the tone's: trusted less.
        const double clear = power_[i] / std::max(localNoise_[i], 1e-20);
        const double step = 0.7 * clear / (clear + 300) * (refine(near, power_) - pitch_);
        pitch_ += step;
        silentHops_ = 0;
    } else {
        ++silentHops_;
    }
    quietFrames_ = score(near) < lockScore / 2 ? quietFrames_ + 1 : 0;
    if (quietFrames_ * hopSeconds > loseSeconds)
        locked_ = false;
}

}  // namespace decoder
