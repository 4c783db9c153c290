#include "segmenter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace decoder {

namespace {

// A dot falls across block edges wherever it begins: the finer the blocks,
// the less of its energy is read with the gaps beside it, and the more
// the reading costs (thirty weak signals at -10 dB read 5.8 % wrong with
// three blocks a dot, 4.7 % with four; five were no better).
constexpr double blocksPerDot = 4;
constexpr double spread = 0.22;  // a length's deviation, in its logarithm
// Now and then a sender stops: between sentences, at the end, before an
// answer. Such pauses are taken for a tenth of the gaps between letters,
// about twenty dots long and spread widely: without them the quiet after a
// message was so unlikely a silence that a crackle in it, read as a dot,
// made it likelier.
constexpr double pauseWeight = 0.05, pauseDots = 20, pauseSpread = 0.6;
constexpr double longestTone = 5, longestGap = 12;  // dots a piece lasts at most; a longer one goes on in another
constexpr double lagDots = 3, mostLagSeconds = 0.35, unsureSeconds = 0.2;
// A piece is decided only once no other reading of where it ends comes
// within this of the likeliest (in nats, odds of about 55 to 1): a weak dot
// in the noise, or a gap that the next seconds show to be a pause, is
// waited on, up to so many dots and seconds after it ends (a letter must
// still be out within a second of its end, the decoder listening 0.3 s
// behind).
constexpr double sureMargin = 4, mostWaitDots = 20, mostWaitSeconds = 0.65;
constexpr double none = Letters::none;
// A letter of no code (odds of about 3,000 to 1): noise read as elements,
// or a letter begun before the input given. And an element or a gap inside
// a letter so long or short that it is never weighed.
constexpr double junkCost = -8, tooRare = -20;
constexpr double silentEvidence = -30;  // a block with nothing to listen to: surely no tone
constexpr double levelMemory = 400;     // blocks the decided levels are averaged over, about
constexpr double coherence = 0.7;       // how steady the tone's phase must be, of a steady tone's in that noise
constexpr double learnt = 30;           // blocks of each heard before the decided levels count
// The loop following a steady tone's phase: its gains, a tone block's error
// moving the phase and the turn per block; how well it must hold (the mean
// cosine of its errors, lately); and for how long it is trusted without a
// tone, in dots.
constexpr double loopPhaseGain = 0.1, loopTurnGain = 0.003, loopHolds = 0.6, loopMemory = 0.995, loopDots = 10;

// ln I0(x), the modified Bessel function's logarithm: a power series up to
// 3.75, its asymptotic series above (both well within 0.2 %).
double logI0(double x)
{
    if (x < 3.75) {
        const double q = x * x / 4;
        double term = 1, sum = 1;
        for (int k = 1; k <= 7; ++k) {
            term *= q / (k * k);
            sum += term;
        }
        return std::log(sum);
    }
    return x - 0.5 * std::log(2 * std::numbers::pi * x) + std::log1p(1 / (8 * x) + 9 / (128 * x * x));
}

}  // namespace

Segmenter::Segmenter(const Letters& letters, double unitSteps, double stepSeconds, bool keyed, int carried)
    : block_(std::max(1, int(std::lround(unitSteps / blocksPerDot)))),
      stepSeconds_(stepSeconds),
      nodes_(letters.size()),
      letters_(&letters),
      startState_(keyed ? between() : toneLongest()),  // as if the other had just ended
      heldTone_(keyed),
      heldSteps_(carried),
      lastTone_(!keyed),
      ongoingTone_(keyed)
{
    setUnit(unitSteps);
}

Segmenter::Lengths Segmenter::lengths(const std::vector<std::array<double, 3>>& parts, int longest) const
{
    // Each length's probability, a mixture of log-normals (mean in dots,
    // weight, spread); the longest piece carries all beyond it.
    std::vector<double> p(std::size_t(longest) * 4 + 1, 0.0);
    double total = 0;
    for (std::size_t d = 1; d < p.size(); ++d) {
        for (const auto& [mean, weight, deviation] : parts) {
            const double z = (std::log(double(d)) - std::log(mean * unit_)) / deviation;
            p[d] += weight * std::exp(-0.5 * z * z) / (double(d) * deviation);
        }
        total += p[d];
    }
    Lengths l{std::vector<double>(std::size_t(longest) + 1, none), std::vector<double>(std::size_t(longest) + 1, none)};
    double beyond = 0;
    for (std::size_t d = p.size() - 1; d >= 1; --d) {
        beyond += p[d] / total;
        if (d <= std::size_t(longest)) {
            l.tail[d] = std::log(std::max(beyond, 1e-300));
            l.prior[d] = std::log(std::max(d == std::size_t(longest) ? beyond : p[d] / total, 1e-300));
        }
    }
    return l;
}

void Segmenter::setUnit(double unitSteps)
{
    const double unit = unitSteps / block_;
    if (std::abs(unit - unit_) < 0.05 * unit)
        return;
    unit_ = unit;
    lag_ = std::max(2, std::min(int(std::lround(lagDots * unit_)), int(mostLagSeconds / (stepSeconds_ * block_))));
    longest_[0] = std::max(2, int(std::lround(longestGap * unit_)));
    longest_[1] = std::max(2, int(std::lround(longestTone * unit_)));
    dot_ = lengths({{1, 1, spread}}, longest_[1]);
    dash_ = lengths({{3, 1, spread}}, longest_[1]);
    anyTone_ = lengths({{1, 0.5, spread}, {3, 0.5, spread}}, longest_[1]);
    inside_ = lengths({{1, 1, spread}}, longest_[0]);
    apart_ = lengths({{3, 0.3, spread}, {7, 0.15, spread}, {pauseDots, pauseWeight, pauseSpread}}, longest_[0]);
}

void Segmenter::setLevels(double noisePower, double toneAmplitude)
{
    noise_ = noisePower * block_;
    tone_ = toneAmplitude * block_;
}

void Segmenter::knowLevels(const Segmenter& other)
{
    // Blocks of another length: the noise's power grows with it, the tone's
    // amplitude too (its power, and a steady tone's turn, as the square).
    const double r = double(block_) / other.block_;
    const double noise = other.noiseCount_ > 0 ? other.noiseSum_ / other.noiseCount_ : 0.0;
    const double tone = other.toneCount_ > 0 ? std::max(other.toneSum_ / other.toneCount_ - noise, 0.0) : 0.0;
    noiseCount_ = other.noiseCount_;
    toneCount_ = other.toneCount_;
    noiseSum_ = noise * r * noiseCount_;
    toneSum_ = (tone * r * r + noise * r) * toneCount_;
    turn_ = other.turn_ * r * r;
    turnWeight_ = other.turnWeight_ * r * r;
    turnPairs_ = other.turnPairs_;
}

bool Segmenter::levels(double& noise, double& tone) const
{
    noise = noise_;
    tone = tone_;
    if (noiseCount_ >= learnt && toneCount_ >= learnt) {
        noise = noiseSum_ / noiseCount_;
        tone = std::sqrt(std::max(toneSum_ / toneCount_ - noise, 0.25 * noise));
    }
    return noise > 0 && tone > 0;
}

double Segmenter::toneData(int from, int to) const
{
    // Where the loop holds the tone's phase, a tone is heard as a filter
    // matched to it, its phase known: each block's part along it. A phase
    // gone astray would hide every tone, and no tone would then put the
    // loop right: the likelier of that and the reading without the phase
    // is taken, which costs a silence nothing.
    const double along = locked_ ? coherent_[std::size_t(to)] - coherent_[std::size_t(from)] : none;
    return std::max(along, withoutPhase(from, to));
}

double Segmenter::withoutPhase(int from, int to) const
{
    if (!steady_)
        return cumulative_[std::size_t(to)] - cumulative_[std::size_t(from)];
    // The tone's phase holds from block to block (turned back by the pitch's
    // error): each dot's worth of blocks heard as one, coherently.
    const double noise = steadyNoise_, tone = steadyTone_;
    const int chunk = std::max(1, int(std::lround(unit_)));
    double total = 0;
    for (int a = from; a < to; a += chunk) {
        const int b = std::min(to, a + chunk);
        if (unheard_[std::size_t(b)] != unheard_[std::size_t(a)]) {
            total += cumulative_[std::size_t(b)] - cumulative_[std::size_t(a)];
            continue;
        }
        total += -(b - a) * tone * tone / noise
            + logI0(2 * tone * std::abs(turned_[std::size_t(b)] - turned_[std::size_t(a)]) / noise);
    }
    return total;
}

void Segmenter::follow(std::complex<double> sum, int block)
{
    // A loop of the second order, led by the blocks decided to hold the tone:
    // each one's phase against the one foreseen moves the phase and its turn
    // per block, a block the noise has nearly cancelled counting for less.
    const double error = std::arg(sum * std::polar(1.0, -(loopPhase_ + loopTurn_ * block)));
    const double weight = std::min(1.0, std::abs(sum) / std::max(steadyTone_, 1e-12));
    loopPhase_ += loopPhaseGain * weight * error;
    loopTurn_ += loopTurnGain * weight * error;
    loopHold_ = 0.98 * loopHold_ + weight * std::cos(error);
    loopWeight_ = 0.98 * loopWeight_ + weight;
    loopBlocks_ += 1;
}

void Segmenter::shifted(double hz)
{
    const double turn = 2 * std::numbers::pi * hz * block_ * stepSeconds_;
    loopTurn_ -= turn;
    turn_ *= std::polar(1.0, -turn);
}

double Segmenter::offset() const { return loopTurn_ / (2 * std::numbers::pi * block_ * stepSeconds_); }

double Segmenter::likelihood(double energy) const
{
    double noise = 0, tone = 0;
    if (!levels(noise, tone))
        return 0;
    // A block's sum is the tone's (amplitude `tone`, any phase) plus complex
    // Gaussian noise of power `noise`: Rice against Rayleigh.
    return -tone * tone / noise + logI0(2 * tone * std::sqrt(energy) / noise);
}

void Segmenter::push(std::complex<double> value, Evidence evidence, std::vector<std::pair<bool, int>>& decided)
{
    sum_ += value;
    if (evidence != Evidence::Heard && worst_ != Evidence::Silent)
        worst_ = evidence;
    if (++inBlock_ < block_)
        return;
    addBlock(sum_, worst_);
    sum_ = {};
    inBlock_ = 0;
    worst_ = Evidence::Heard;
    decode(decided);
}

void Segmenter::addBlock(std::complex<double> sum, Evidence evidence)
{
    const double energy = std::norm(sum);
    energy_.push_back(evidence == Evidence::Heard ? energy : -1);
    sums_.push_back(evidence == Evidence::Heard ? sum : 0.0);
    evidence_.push_back(evidence == Evidence::Silent        ? silentEvidence
                            : evidence == Evidence::Nothing ? 0.0
                                                            : likelihood(energy));
}

void Segmenter::sumUp(int row)
{
    const auto r = std::size_t(row);
    const auto consider = [&](Best& best, int state, double extra) {
        const double score = cell(row, state).score;
        if (score != none && score + extra > best.score)
            best = {score + extra, state};
    };
    for (const int state : {between(), pause()}) {
        consider(rootAt_[r], state, 0);
        consider(silenceAt_[r], state, 0);
    }
    consider(silenceAt_[r], junkGap(), 0);
    for (int v = 1; v < nodes_; ++v) {
        consider(silenceAt_[r], nodes_ + v, 0);
        const double end = letters_->end(v);
        consider(letterEndAt_[r], v, end == Letters::none ? junkCost : end);
    }
    for (const int state : {junkTone(), toneLongest()}) {
        consider(letterEndAt_[r], state, 0);
        consider(junkAt_[r], state, 0);
    }
}

template <class Offer> void Segmenter::pieces(int t, bool ongoing, Offer&& offer) const
{
    const auto score = [this](int row, int state) { return cell(row, state).score; };
    // The first piece began before the input given: no length is likelier.
    const auto length = [&](const Lengths& l, int d, int start) {
        return start == 0 && firstFlat_ ? 0.0 : (ongoing ? l.tail : l.prior)[std::size_t(d)];
    };
    for (int d = 1; d <= std::min(t, longest_[1]); ++d) {
        const int r = t - d;
        const auto row = std::size_t(r);
        const double data = toneData(r, t);
        if (d == longest_[1]) {  // longer than any element: no letter's
            Best from = silenceAt_[row];
            if (score(r, toneLongest()) > from.score)
                from = {score(r, toneLongest()), toneLongest()};
            if (from.score != none)
                offer(toneLongest(), from.score + length(anyTone_, d, r) + data, d, from.state);
            continue;
        }
        const bool heard[2]
            = {ongoing || dot_.prior[std::size_t(d)] >= tooRare, ongoing || dash_.prior[std::size_t(d)] >= tooRare};
        for (int w = 1; w < nodes_; ++w) {
            const int p = letters_->parent(w);
            const bool dash = letters_->dash(w);
            if (!heard[dash ? 1 : 0])
                continue;
            const Best from = p == Letters::root ? rootAt_[row] : Best{score(r, nodes_ + p), nodes_ + p};
            if (from.score != none)
                offer(w, from.score + length(dash ? dash_ : dot_, d, r) + letters_->step(p, dash) + data, d,
                      from.state);
        }
        // A tone no code has there: noise, or a letter begun before the input.
        Best from = silenceAt_[row];
        from.score = from.score == none ? none : from.score + junkCost;
        for (const int state : {junkGap(), toneLongest()})
            if (score(r, state) > from.score)
                from = {score(r, state), state};
        if (from.score != none)
            offer(junkTone(), from.score + length(anyTone_, d, r) + data, d, from.state);
    }
    for (int d = 1; d <= std::min(t, longest_[0]); ++d) {
        const int r = t - d;
        const auto row = std::size_t(r);
        // A silence going on after a longest one is a pause, not a gap: what
        // more it lasts costs nothing. Costed as gaps, a quiet room after a
        // message was likelier read as letters than as silence, and was.
        const int to = d == longest_[0] ? pause() : between();
        const Best& ended = letterEndAt_[row];
        if (ended.score != none)
            offer(to, ended.score + length(apart_, d, r), d, ended.state);
        if (score(r, pause()) != none)
            offer(to, score(r, pause()), d, pause());
        if (d == longest_[0] || inside_.prior[std::size_t(d)] < tooRare)
            continue;
        for (int v = 1; v < nodes_; ++v)
            if (score(r, v) != none)
                offer(nodes_ + v, score(r, v) + length(inside_, d, r), d, v);
        if (junkAt_[row].score != none)
            offer(junkGap(), junkAt_[row].score + length(inside_, d, r), d, junkAt_[row].state);
    }
}

void Segmenter::decode(std::vector<std::pair<bool, int>>& decided)
{
    for (;;) {
        const int n = int(evidence_.size());
        cumulative_.assign(std::size_t(n) + 1, 0.0);
        turned_.assign(std::size_t(n) + 1, 0.0);
        unheard_.assign(std::size_t(n) + 1, 0);
        // A steady tone's sums turn from block to block by the pitch's error
        // alone, and hold together nearly as much as the noise lets them.
        steady_ = levels(steadyNoise_, steadyTone_) && turnPairs_ >= learnt
            && std::abs(turn_)
                > coherence * turnWeight_ * steadyTone_ * steadyTone_ / (steadyTone_ * steadyTone_ + steadyNoise_);
        locked_
            = steady_ && loopBlocks_ >= learnt && loopHold_ > loopHolds * loopWeight_ && sinceTone_ < loopDots * unit_;
        coherent_.assign(std::size_t(n) + 1, 0.0);
        const std::complex<double> back = turn_ == 0.0 ? 1.0 : std::conj(turn_) / std::abs(turn_);
        const std::complex<double> step = std::polar(1.0, -loopTurn_);
        std::complex<double> phase = 1, along = std::polar(1.0, -loopPhase_);
        const double a = steadyTone_, noise = steadyNoise_;
        for (int k = 0; k < n; ++k, phase *= back, along *= step) {
            const auto i = std::size_t(k);
            cumulative_[i + 1] = cumulative_[i] + evidence_[i];
            turned_[i + 1] = turned_[i] + sums_[i] * phase;
            unheard_[i + 1] = unheard_[i] + (energy_[i] < 0 ? 1 : 0);
            // A tone of amplitude `a` at the loop's phase, against noise alone.
            coherent_[i + 1] = coherent_[i]
                + (locked_ && energy_[i] >= 0 ? (2 * a * std::real(sums_[i] * along) - a * a) / noise : 0.0);
        }
        // The rows read before stand while nothing they were read with has
        // changed: most blocks add a row and decide nothing.
        const Basis basis{unit_, steadyNoise_, steadyTone_, loopPhase_, loopTurn_,
                          turn_, startState_,  steady_,     locked_,    firstFlat_};
        if (!(basis == basis_))
            rows_ = 0;
        basis_ = basis;
        const int S = states();
        cells_.resize(std::size_t(n + 1) * std::size_t(S));
        std::fill(cells_.begin() + std::ptrdiff_t(rows_ == 0 ? 0 : rows_ + 1) * S, cells_.end(), Cell{none, 0, -1, -1});
        for (auto* row : {&rootAt_, &silenceAt_, &letterEndAt_, &junkAt_}) {
            row->resize(std::size_t(n) + 1);
            std::fill(row->begin() + (rows_ == 0 ? 0 : rows_ + 1), row->end(), Best{none, -1});
        }
        if (rows_ == 0) {
            cell(0, startState_).score = 0;
            sumUp(0);
        }
        for (int t = rows_ + 1; t <= n; ++t) {
            pieces(t, false, [&](int state, double score, int d, int from) {
                Cell& ending = cell(t, state);
                if (score > ending.score)
                    ending = {score, d, from, d == t ? t * S + state : cell(t - d, from).first};
            });
            sumUp(t);
        }
        rows_ = n;
        // The piece going on at the end: any length so far, as likely as its
        // being at least that long.
        double best = none;
        int endState = 0, endLength = 0, endFrom = -1, bestFirst = -1;
        ends_.clear();
        pieces(n, true, [&](int state, double score, int d, int from) {
            const int first = d == n ? -1 : cell(n - d, from).first;
            ends_.emplace_back(score, first);
            if (score > best) {
                best = score;
                endState = state;
                endLength = d;
                endFrom = from;
                bestFirst = first;
            }
        });
        if (best == none)
            return;
        const bool sure = std::none_of(ends_.begin(), ends_.end(), [&](const auto& e) {
            return e.second != bestFirst && e.first > best - sureMargin;
        });
        // Back to the first piece.
        int row = n - endLength, state = endFrom, firstEnd = n, firstState = endState;
        while (row > 0) {
            const Cell& c = cell(row, state);
            firstEnd = row;
            firstState = state;
            row -= c.length;
            state = c.fromState;
        }
        ongoingTone_ = isTone(endState);
        undecidedSteps_ = n * block_ + heldSteps_;
        // A silence counts as going on only when nothing undecided comes
        // before it: a letter is closed by it once what it holds is handed on.
        // The last few blocks may yet turn out to hold a dot: a letter is not
        // closed on them (at most a fifth of a second, for slow Morse's sake).
        const int unsure = std::min(lag_ * block_, int(unsureSeconds / stepSeconds_));
        silentSteps_ = firstEnd == n && !ongoingTone_ ? std::max(0, undecidedSteps_ - unsure) : 0;
        // Waited on from where the piece ends, not from where the undecided
        // begins: after a long pause, a crackle was otherwise decided as a
        // dot at once, the pause before it having used up the wait.
        const bool waited = n - firstEnd >= std::min(mostWaitDots * unit_, mostWaitSeconds / (stepSeconds_ * block_));
        if (firstEnd == n || firstEnd > n - lag_ || (!sure && !waited))
            return;
        // The first piece is decided: handed on, learnt from, and let go. A
        // longest piece is held until the next, and joined to it if alike:
        // what is handed on is always a tone, then a silence, and so on.
        const bool tone = isTone(firstState);
        if (heldSteps_ > 0 && heldTone_ != tone) {
            decided.emplace_back(heldTone_, heldSteps_);
            lastTone_ = heldTone_;
            heldSteps_ = 0;
        }
        heldTone_ = tone;
        heldSteps_ += firstEnd * block_;
        if (!isLongest(firstState)) {
            decided.emplace_back(tone, heldSteps_);
            lastTone_ = tone;
            heldSteps_ = 0;
        }
        for (int k = 1; k + 1 < firstEnd; ++k) {
            const double e = energy_[std::size_t(k)];
            if (e < 0)
                continue;
            (tone ? toneSum_ : noiseSum_) += e;
            (tone ? toneCount_ : noiseCount_) += 1;
            if (tone)
                follow(sums_[std::size_t(k)], k);
            if (tone && k > 1 && energy_[std::size_t(k) - 1] >= 0) {
                turn_ += sums_[std::size_t(k)] * std::conj(sums_[std::size_t(k) - 1]);
                turnWeight_ += std::abs(sums_[std::size_t(k)]) * std::abs(sums_[std::size_t(k) - 1]);
                turnPairs_ += 1;
            }
        }
        if (turnWeight_ > 0 && toneCount_ > levelMemory / 4) {
            turn_ *= 0.98;
            turnWeight_ *= 0.98;
            turnPairs_ *= 0.98;
        }
        // Each level forgets at its own pace, as more of its kind is heard:
        // in a pause the tone's stays as it was last heard (forgotten with
        // the noise's, it fell back on cruder levels, and the noise was
        // read as letters).
        if (noiseCount_ > levelMemory / 2) {
            noiseSum_ *= 0.9;
            noiseCount_ *= 0.9;
        }
        if (toneCount_ > levelMemory / 2) {
            toneSum_ *= 0.9;
            toneCount_ *= 0.9;
        }
        loopPhase_ = std::remainder(loopPhase_ + loopTurn_ * firstEnd, 2 * std::numbers::pi);
        const double forget = std::pow(loopMemory, firstEnd);
        loopHold_ *= forget;
        loopWeight_ *= forget;
        sinceTone_ = tone ? 0 : sinceTone_ + firstEnd;
        rows_ = 0;
        evidence_.erase(evidence_.begin(), evidence_.begin() + firstEnd);
        energy_.erase(energy_.begin(), energy_.begin() + firstEnd);
        sums_.erase(sums_.begin(), sums_.begin() + firstEnd);
        startState_ = firstState;
        firstFlat_ = false;
    }
}

}  // namespace decoder
