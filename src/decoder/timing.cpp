#include "timing.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace decoder {

namespace {

constexpr double spread = 0.25;           // a length's deviation, in its logarithm: a hand's 0.2 and the noise's
constexpr double guessSpread = 0.3;       // wider while guessing
constexpr double follow = 0.1;            // how fast the dot length follows each element
constexpr double settle = 0.05;           // how fast the lengths heard, against it, settle
constexpr std::size_t longGapsKept = 16;  // gaps between letters or words remembered
constexpr std::size_t recentSpans = 40;
constexpr double shortest = 0.02, longest = 0.3;  // a dot's length: 60 to 4 wpm
constexpr int longestCode = 7;

double cost(double seconds, double logMean, double deviation = spread)
{
    const double d = (std::log(seconds) - logMean) / deviation;
    return 0.5 * d * d;
}

}  // namespace

double mostLikelyUnit(const std::deque<Span>& spans)
{
    // Every candidate dot length; one element far off all of them costs no
    // more than a cap.
    constexpr double cap = 8, far = 3, crackle = 2.5;
    double best = 0, bestCost = std::numeric_limits<double>::max();
    for (int i = 0; i <= 100; ++i) {
        const double u = shortest * std::pow(longest / shortest, i / 100.0), lu = std::log(u);
        double total = 0;
        for (const Span& s : spans) {
            double c = std::min(cost(s.seconds, lu, guessSpread), cost(s.seconds, lu + std::log(3), guessSpread));
            if (!s.tone) {
                c = std::min(c, cost(s.seconds, lu + std::log(7), guessSpread));
                if (s.seconds > 2.5 * u)
                    c = std::min(c, far);
            }
            if (s.seconds < 0.5 * u)
                c = std::min(c, crackle);  // shorter than any element: the noise's, not the speed's
            total += std::min(c, cap);
        }
        if (total < bestCost) {
            bestCost = total;
            best = u;
        }
    }
    return best;
}

Timing::Timing(std::vector<std::string> alphabet)
{
    codes_.resize(longestCode + 1);
    for (std::string& code : alphabet)
        if (!code.empty() && code.size() <= longestCode)
            codes_[code.size()].push_back(std::move(code));
}

double Timing::unit() const { return std::exp(unit_); }

double Timing::closeRun() const
{
    // No gap inside a letter is twice its usual length, even by hand; but a
    // tight hand's gap between letters may be shorter than that.
    const double inside = std::exp(unit_ + gap_);
    return std::min(2.0 * inside, std::max(0.75 * std::exp(unit_ + letterGap_), 1.6 * inside));
}

double Timing::wordGap() const
{
    // Between the two, where an uneven hand's gaps are as likely one as the other.
    return 1.03 * std::exp(unit_ + 0.5 * (letterGap_ + wordGap_));
}

void Timing::learnFirst()
{
    const std::deque<Span> spans(first_.begin(), first_.end());
    const double u = mostLikelyUnit(spans);
    unit_ = std::log(u);
    // How much longer the filter and thresholds make tones, and shorter
    // silences, seen already in these first elements.
    double sums[3] = {0, 0, 0};
    int counts[3] = {0, 0, 0};
    for (const Span& s : first_) {
        const double l = std::log(s.seconds / u);
        const int kind = s.tone ? (l > 0.5 * std::log(3) ? 1 : 0) : 2;
        if ((!s.tone && l > std::log(2)) || l < std::log(0.5))
            continue;  // a gap between letters, or a crackle
        sums[kind] += kind == 1 ? l - std::log(3) : l;
        ++counts[kind];
    }
    dot_ = counts[0] ? std::clamp(sums[0] / counts[0], std::log(0.5), std::log(2.0)) : 0;
    dash_ = counts[1] ? std::clamp(sums[1] / counts[1], std::log(0.6), std::log(1.5)) : 0;
    gap_ = counts[2] ? std::clamp(sums[2] / counts[2], std::log(0.5), std::log(2.0)) : 0;
    letterGap_ = std::log(3);
    wordGap_ = std::log(7);
    for (const Span& s : first_)
        if (!s.tone && s.seconds > 2.2 * u)
            betweenLetters(s.seconds);
    learnt_ = true;
}

void Timing::betweenLetters(double seconds)
{
    // A pause is no gap; and one hardly longer than a gap inside a letter
    // (the hand's rare short one, split by the letters' codes) would teach
    // the wrong length.
    const double l = std::log(seconds) - unit_;
    if (l > wordGap_ + std::log(4) || l < gap_ + std::log(1.8))
        return;
    longGaps_.push_back(l);
    if (longGaps_.size() > longGapsKept)
        longGaps_.pop_front();
    std::vector<double> sorted(longGaps_.begin(), longGaps_.end());
    std::sort(sorted.begin(), sorted.end());
    double sum = 0;
    for (const double g : sorted)
        sum += g;
    double below = 0, best = 0;
    std::size_t split = sorted.size();
    for (std::size_t i = 1; i < sorted.size(); ++i) {
        below += sorted[i - 1];
        const double n0 = double(i), n1 = double(sorted.size() - i);
        const double m0 = below / n0, m1 = (sum - below) / n1;
        if (m1 - m0 > std::log(1.6) && n0 * n1 * (m1 - m0) * (m1 - m0) > best) {
            best = n0 * n1 * (m1 - m0) * (m1 - m0);
            split = i;
        }
    }
    double lower = 0;
    for (std::size_t i = 0; i < split; ++i)
        lower += sorted[i];
    letterGap_ = std::max(lower / double(split), gap_ + std::log(2.0));
    wordGap_ = split < sorted.size() ? (sum - lower) / double(sorted.size() - split) : letterGap_ + std::log(7.0 / 3);
    wordGap_ = std::max(wordGap_, letterGap_ + std::log(1.6));
}

void Timing::span(Span s, std::string& out)
{
    if (!s.tone && !heardTone_)
        return;  // the silence before anything: nothing to learn from
    heardTone_ = true;
    if (!learnt_) {
        first_.push_back(s);
        if (s.tone && std::count_if(first_.begin(), first_.end(), [](const Span& f) { return f.tone; }) >= firstTones) {
            learnFirst();
            std::vector<Span> heard;
            heard.swap(first_);
            for (const Span& f : heard)
                span(f, out);
        }
        return;
    }
    recent_.push_back(s);
    if (recent_.size() > recentSpans)
        recent_.pop_front();
    if (s.tone)
        tone(s.seconds);
    else
        silenceEnded(s.seconds, out);
}

void Timing::tone(double seconds)
{
    if (tones_.empty())
        wordWritten_ = false;
    tones_.push_back(seconds);
}

void Timing::silenceEnded(double seconds, std::string& out)
{
    silence(seconds, out);
    if (!tones_.empty()) {
        gaps_.push_back(seconds);
        return;
    }
    betweenLetters(seconds);
}

void Timing::silence(double seconds, std::string& out)
{
    if (!learnt_)
        return;
    if (!tones_.empty() && seconds > closeRun())
        readRun(out);
    if (tones_.empty() && written_ && !wordWritten_ && seconds > wordGap()) {
        out += " /";
        wordWritten_ = true;
    }
}

void Timing::finish(std::string& out)
{
    if (!learnt_ && !first_.empty()) {
        learnFirst();
        std::vector<Span> heard;
        heard.swap(first_);
        for (const Span& f : heard)
            span(f, out);
    }
    if (!tones_.empty())
        readRun(out);
}

void Timing::emit(const std::string& code, std::string& out)
{
    if (written_)
        out += ' ';
    out += code;
    written_ = true;
}

void Timing::readRun(std::string& out)
{
    // The run split into letters: best[j] is the least cost of reading its
    // first j tones, each letter a code of the alphabet.
    // A crackle far shorter than a dot is no element: it joins the gaps
    // either side of it (or is dropped, at a run's edge).
    for (std::size_t k = 0; k < tones_.size() && tones_.size() > 1;) {
        if (tones_[k] >= 0.35 * std::exp(unit_ + dot_)) {
            ++k;
            continue;
        }
        if (k == 0) {
            gaps_.erase(gaps_.begin());
        } else if (k + 1 == tones_.size()) {
            gaps_.pop_back();
        } else {
            gaps_[k - 1] += tones_[k] + gaps_[k];
            gaps_.erase(gaps_.begin() + std::ptrdiff_t(k));
        }
        tones_.erase(tones_.begin() + std::ptrdiff_t(k));
    }
    // A tone cut short and then broken off by a gap just as short is one
    // tone heard unsteadily (the noise on its edge): joined to the next.
    for (std::size_t k = 0; k + 1 < tones_.size();) {
        if (tones_[k] < 0.6 * std::exp(unit_ + dot_) && gaps_[k] < 0.6 * std::exp(unit_ + gap_)) {
            // At a run's start the crackle came before the tone: only dropped.
            if (k > 0)
                tones_[k + 1] += tones_[k] + gaps_[k];
            tones_.erase(tones_.begin() + std::ptrdiff_t(k));
            gaps_.erase(gaps_.begin() + std::ptrdiff_t(k));
        } else {
            ++k;
        }
    }
    const std::size_t n = tones_.size();
    const double dot = unit_ + dot_, dash = unit_ + std::log(3) + dash_, gap = unit_ + gap_;
    std::vector<double> best(n + 1, std::numeric_limits<double>::max());
    std::vector<std::size_t> from(n + 1, 0);
    std::vector<const std::string*> code(n + 1, nullptr);
    best[0] = 0;
    for (std::size_t j = 1; j <= n; ++j) {
        for (std::size_t length = 1; length <= std::min<std::size_t>(longestCode, j); ++length) {
            const std::size_t i = j - length;
            if (best[i] == std::numeric_limits<double>::max())
                continue;
            double joins = i > 0 ? cost(gaps_[i - 1], unit_ + letterGap_) : 0;
            for (std::size_t k = i; k + 1 < j; ++k)
                joins += cost(gaps_[k], gap);
            for (const std::string& c : codes_[length]) {
                double total = best[i] + joins;
                for (std::size_t k = 0; k < length; ++k)
                    total += cost(tones_[i + k], c[k] == '.' ? dot : dash);
                if (total < best[j]) {
                    best[j] = total;
                    from[j] = i;
                    code[j] = &c;
                }
            }
        }
    }
    std::vector<std::size_t> ends;
    for (std::size_t j = n; j > 0 && code[j]; j = from[j])
        ends.push_back(j);
    std::reverse(ends.begin(), ends.end());
    if (ends.empty() || ends.back() != n) {  // an alphabet without single dots or dashes
        tones_.clear();
        gaps_.clear();
        return;
    }
    // Write the letters, and learn the speed from what they were read as.
    std::size_t start = 0;
    for (const std::size_t end : ends) {
        const std::string& c = *code[end];
        emit(c, out);
        for (std::size_t k = start; k < end; ++k) {
            const bool dash = c[k - start] == '-';
            const double l = std::log(tones_[k]) - (dash ? std::log(3) : 0.0);
            if (k + 1 < end) {
                unit_ += follow * (std::log((tones_[k] + gaps_[k]) / (dash ? 4 : 2)) - unit_);
                gap_ += settle * (std::log(gaps_[k]) - unit_ - gap_);
            }
            double& bias = dash ? dash_ : dot_;
            bias += settle * (l - unit_ - bias);
        }
        if (end < n)
            betweenLetters(gaps_[end - 1]);
        start = end;
    }
    unit_ = std::clamp(unit_, std::log(shortest), std::log(longest));
    dot_ = std::clamp(dot_, std::log(0.5), std::log(2.0));
    dash_ = std::clamp(dash_, std::log(0.6), std::log(1.5));
    gap_ = std::clamp(gap_, std::log(0.5), std::log(2.0));
    tones_.clear();
    gaps_.clear();

    // A speed followed astray (noise read as elements, a new sender) is
    // caught by a fresh guess from the last few dozen elements.
    // The first guess, made from a few elements heard through a filter not
    // yet fitted to them, is checked more readily than a speed long followed.
    // A guess at the end of the speeds looked for is no speed found: noise
    // read as short elements put it at the fastest, and a weak 40 wpm signal
    // was then heard as crackle for seconds.
    if (recent_.size() >= 16) {
        const bool early = ++runs_ < 12;
        const double guess = std::log(mostLikelyUnit(recent_));
        const bool found = guess > std::log(shortest) + 0.01 && guess < std::log(longest) - 0.01;
        doubts_ = found && std::abs(guess - unit_) > std::log(early ? 1.4 : 1.8) ? doubts_ + 1 : 0;
        if (doubts_ >= (early ? 1 : 4)) {
            unit_ = guess;
            dot_ = dash_ = gap_ = 0;
            doubts_ = 0;
        }
    }
}

}  // namespace decoder
