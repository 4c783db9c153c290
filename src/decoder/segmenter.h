#pragma once
// Hearing a weak tone's elements over a run of them rather than one
// threshold crossing at a time. The mixed-down input is summed in blocks of
// a quarter of a dot; each block gives how much likelier it is to hold the
// tone than noise alone; and the keying is split into the most likely
// sequence of tones and silences of the lengths Morse has (a tone of one
// dot or three, a silence of one, three or seven, now and then a pause), a
// semi-Markov Viterbi, which follows each letter's code as it goes
// (Letters): a dot dropped inside a letter makes two letters of one, or
// none, which the letters' odds weigh against.
// While the tone's phase holds (a steady pitch, followed slowly), each
// dot's worth of a tone's blocks is summed before it is weighed, which
// hears a dot as a filter matched to it would; and where a loop follows its
// phase across the gaps too (a radio's tone, whose oscillator runs on while
// the key is up), every tone is heard along that phase, its noise halved.
// So a dash brings three dots' evidence, and a crackle in a gap must
// outweigh the cost of two more elements before it is heard as one: a tone
// that thresholds break into pieces is heard whole. What is decided comes a
// few dots behind the input, more while another reading is nearly as
// likely; the levels are learnt from what was decided.

#include "letters.h"

#include <array>
#include <complex>
#include <deque>
#include <vector>

namespace decoder {

class Segmenter {
public:
    // What a step of the input may tell.
    enum class Evidence { Heard, Nothing, Silent };  // Nothing: a burst; Silent: no tone to listen to

    // `unitSteps`: a dot's length in steps of the input; `keyed`: whether a
    // tone is going on where it starts, begun `carried` steps before.
    // `letters` outlives it.
    Segmenter(const Letters& letters, double unitSteps, double stepSeconds, bool keyed, int carried);

    // The dot's length as learnt since.
    void setUnit(double unitSteps);
    // The levels as learnt elsewhere, until enough has been decided here:
    // the noise's power and the tone's amplitude, each a step's.
    void setLevels(double noisePower, double toneAmplitude);
    // Starts from the levels and the steadiness `other` decided, hearing the
    // same input before: known from the first block on.
    void knowLevels(const Segmenter& other);
    // A step of the mixed-down input. Each tone and silence decided since goes
    // to `decided` as (tone, steps).
    void push(std::complex<double> value, Evidence evidence, std::vector<std::pair<bool, int>>& decided);

    // What goes on now, by the most likely reading of what is not decided
    // yet: keyed or not; and the steps of silence since the last decided
    // tone, when nothing else is undecided since (0 otherwise).
    bool keyed() const { return ongoingTone_; }
    // The tone's phase holds from block to block: its pitch is steady.
    bool steady() const { return steady_; }
    // The loop holds the tone's phase; and the tone's pitch, as it finds it,
    // in Hz over the pitch it is mixed down with.
    bool locked() const { return locked_; }
    double offset() const;
    // The tone is mixed down with a pitch `hz` higher from now on.
    void shifted(double hz);
    int silentSteps() const { return silentSteps_; }
    // What comes after the last handed on (a tone after a silence, and so
    // on), and how many steps of the input are not handed on yet.
    bool nextTone() const { return !lastTone_; }
    int undecidedSteps() const { return undecidedSteps_; }

private:
    struct Cell {
        double score;
        int length;     // of the segment ending here
        int fromState;  // the state the segment before it ended in
        int first;      // the reading's first piece: the row and state it ends in, as row * states + state
    };
    struct Best {  // the best of some states in a row
        double score;
        int state;
    };
    struct Lengths {
        std::vector<double> prior, tail;  // log-probabilities of each length in blocks, and of at least it
    };
    // The states a piece ends in: a tone that ended a prefix of a letter
    // (its node, from 1), a gap inside a letter after one (nodes_ + node),
    // a gap between letters (nodes_), a pause (the longest silence), a
    // tone longer than any element, and a tone or gap of a letter of no code.
    int toneLongest() const { return 0; }
    int between() const { return nodes_; }
    int pause() const { return 2 * nodes_; }
    int junkTone() const { return 2 * nodes_ + 1; }
    int junkGap() const { return 2 * nodes_ + 2; }
    int states() const { return 2 * nodes_ + 3; }
    bool isTone(int state) const { return state < nodes_ || state == junkTone(); }
    bool isLongest(int state) const { return state == toneLongest() || state == pause(); }
    Cell& cell(int row, int state) { return cells_[std::size_t(row) * std::size_t(states()) + std::size_t(state)]; }
    const Cell& cell(int row, int state) const
    {
        return cells_[std::size_t(row) * std::size_t(states()) + std::size_t(state)];
    }
    Lengths lengths(const std::vector<std::array<double, 3>>& parts, int longest) const;
    void addBlock(std::complex<double> sum, Evidence evidence);
    void decode(std::vector<std::pair<bool, int>>& decided);
    // Every piece that may end at block `t` (still going on there, if
    // `ongoing`): offer(state, score, length, state before).
    template <class Offer> void pieces(int t, bool ongoing, Offer&& offer) const;
    void sumUp(int row);                     // the row's bests, once it is filled
    double likelihood(double energy) const;  // a block's log-likelihood ratio, tone against noise
    bool levels(double& noise, double& tone) const;
    double toneData(int from, int to) const;  // a tone's log-likelihood ratio over blocks [from, to)
    double withoutPhase(int from, int to) const;
    void follow(std::complex<double> sum, int block);  // a block decided to hold the tone

    int block_;  // steps a block
    double stepSeconds_;
    double unit_ = 0;      // blocks a dot
    int longest_[2] = {};  // blocks a silence, a tone lasts at most in one piece
    int lag_ = 0;          // blocks decided behind the input
    int nodes_;
    const Letters* letters_;
    Lengths dot_, dash_, anyTone_, inside_, apart_;  // a tone's lengths, and a gap's inside a letter or between
    std::complex<double> sum_{};
    int inBlock_ = 0;
    Evidence worst_ = Evidence::Heard;

    std::deque<double> evidence_;               // each undecided block's log-likelihood ratio, a tone against noise
    std::deque<double> energy_;                 // and its energy, for the levels
    std::deque<std::complex<double>> sums_;     // and its sum
    std::vector<std::complex<double>> turned_;  // the sums turned back by the pitch's error, summed
    std::vector<int> unheard_;                  // blocks not heard, summed
    std::complex<double> turn_{};               // a block's sum times its predecessor's, in tones: the pitch's error
    double turnWeight_ = 0, turnPairs_ = 0;
    bool steady_ = false;  // the phase holds: a dot's blocks are heard coherently
    double steadyNoise_ = 0, steadyTone_ = 0;
    std::vector<double> cumulative_;
    std::vector<double> coherent_;  // each block's log-likelihood ratio along the loop's phase, summed
    // The loop: the tone's phase at the first undecided block, its turn per
    // block, how well it has held lately, and blocks since the last tone.
    double loopPhase_ = 0, loopTurn_ = 0, loopHold_ = 0, loopWeight_ = 0, loopBlocks_ = 0;
    int sinceTone_ = 0;
    int rows_ = 0;  // the rows read with basis_
    bool locked_ = false;
    std::vector<Cell> cells_;  // [block][state]
    struct Basis {             // what the rows were read with
        double unit, noise, tone, loopPhase, loopTurn;
        std::complex<double> turn;
        int start;
        bool steady, locked, firstFlat;
        bool operator==(const Basis&) const = default;
    };
    Basis basis_{};
    // Each row's best where a letter may begin, where a silence ended, where
    // a letter ended (its odds counted), and where a tone of no code ended.
    std::vector<Best> rootAt_, silenceAt_, letterEndAt_, junkAt_;
    std::vector<std::pair<double, int>> ends_;  // each reading of what is undecided: its score and first piece
    int startState_;
    bool heldTone_;  // a piece decided but not handed on: the longest, or begun before the input given
    int heldSteps_;
    bool lastTone_;          // the kind last handed on
    bool firstFlat_ = true;  // the first segment began before the input given: no length is likelier

    double noise_ = 0, tone_ = 0;  // a block's noise power and the tone's amplitude, as given
    double noiseSum_ = 0, noiseCount_ = 0, toneSum_ = 0, toneCount_ = 0;  // as decided here
    bool ongoingTone_;
    int silentSteps_ = 0, undecidedSteps_ = 0;
};

}  // namespace decoder
