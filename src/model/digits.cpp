#include "digits.h"

#include "reading.h"
#include "slots.h"

using namespace Qt::StringLiterals;

namespace model {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isGap(QChar c) { return c == u' ' || c == u',' || c == u'.' || c == u'-' || c == u'/'; }

class DigitReader {
public:
    DigitReader(QStringView message, std::span<const Key> keys, DigitCode code)
        : message_(message), keys_(keys), code_(code)
    {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (keys[k].kind == Key::Kind::Letter)
                letters_.push_back(k);
        }
    }

    Reading read()
    {
        spaceEndsWord_ = code_ != DigitCode::Phone && lettersJoinedByMarks();
        for (qsizetype i = 0, end = 0; i < message_.size(); i = end) {
            const bool digits = isDigit(message_[i]) || isGap(message_[i]);
            for (end = i; end < message_.size() && (isDigit(message_[end]) || isGap(message_[end])) == digits;)
                ++end;
            if (digits)
                readDigits(i, end);
            else
                appendPieces(reading_, readExactly(message_.sliced(i, end - i), keys_), i, message_);
        }
        return std::move(reading_);
    }

private:
    // Whether the message joins its letters by digit pairs run together or by
    // marks (commas, full stops, dashes) at least as often as by a single
    // space: then a single space can only end a word ("7 19-1" is Η ΤΑ,
    // "2511 3122" ΚΑ ΛΗ), as the keys' own spaced form cannot have it.
    bool lettersJoinedByMarks() const
    {
        qsizetype spaces = 0, marks = 0;
        for (qsizetype i = 0; i < message_.size();) {
            if (isDigit(message_[i])) {
                const qsizetype start = i;
                while (i < message_.size() && isDigit(message_[i]))
                    ++i;
                if (code_ == DigitCode::Polybius && (i - start) % 2 == 0)
                    marks += (i - start) / 2 - 1;
                continue;
            }
            const qsizetype start = i;
            while (i < message_.size() && isGap(message_[i]))
                ++i;
            if (i == start) {
                ++i;
                continue;
            }
            const QStringView gap = message_.sliced(start, i - start);
            if (start == 0 || i == message_.size() || !isDigit(message_[start - 1]) || !isDigit(message_[i])
                || endsWord(gap))
                continue;
            (gap == u" "_s ? spaces : marks) += 1;
        }
        return marks > 0 && marks >= spaces;
    }

    static bool endsWord(QStringView gap) { return gap.contains(u'/') || gap.contains(u"  "_s); }

    // Runs of digits and the gaps between them: a gap with "/" or two
    // spaces ends a word, and so does a phone's "0", and a single space
    // where the letters are joined otherwise.
    void readDigits(qsizetype from, qsizetype to)
    {
        for (qsizetype i = from; i < to;) {
            if (!isDigit(message_[i]) || (code_ == DigitCode::Phone && message_[i] == u'0')) {
                const qsizetype start = i;
                bool word = false;
                while (i < to && (!isDigit(message_[i]) || (code_ == DigitCode::Phone && message_[i] == u'0'))) {
                    word = word || message_[i] == u'/' || message_[i] == u'0';
                    ++i;
                }
                const QStringView gap = message_.sliced(start, i - start);
                if (word || endsWord(gap) || (spaceEndsWord_ && gap == u" "_s && start > from && i < to))
                    add({Piece::Kind::Key, u" "_s, false, start});
                continue;
            }
            const qsizetype start = i;
            while (i < to && isDigit(message_[i]) && !(code_ == DigitCode::Phone && message_[i] == u'0'))
                ++i;
            readRun(start, i);
        }
    }

    void readRun(qsizetype from, qsizetype to)
    {
        const QStringView run = message_.sliced(from, to - from);
        switch (code_) {
        case DigitCode::Numbers:
            addLetter(run.toInt() - 1, from, to);
            break;
        case DigitCode::Polybius:
            if (run.size() % 2 != 0) {
                addLetter(-1, from, to);
                break;
            }
            for (qsizetype i = 0; i < run.size(); i += 2) {
                const int row = run[i].digitValue(), column = run[i + 1].digitValue();
                const bool inSquare = row >= 1 && row <= 5 && column >= 1 && column <= 5;
                addLetter(inSquare ? (row - 1) * 5 + column - 1 : -1, from + i, from + i + 2);
            }
            break;
        case DigitCode::Phone:
            // Each key holds three letters from 2 on: its digit pressed once, twice, three times.
            for (qsizetype i = 0; i < run.size();) {
                qsizetype same = i;
                while (same < run.size() && run[same] == run[i])
                    ++same;
                const int key = run[i].digitValue() - 2, presses = int(same - i);
                addLetter(key >= 0 && presses <= 3 ? key * 3 + presses - 1 : -1, from + i, from + same);
                i = same;
            }
            break;
        }
    }

    void addLetter(int index, qsizetype from, qsizetype to)
    {
        if (index < 0 || std::size_t(index) >= letters_.size())
            add({Piece::Kind::Unread, message_.sliced(from, to - from).toString(), false, from});
        else
            add({Piece::Kind::Key, keys_[letters_[std::size_t(index)]].name, false, from});
    }

    void add(Piece piece)
    {
        Reading one;
        one.pieces.push_back(std::move(piece));
        appendPieces(reading_, std::move(one), 0, message_);
    }

    QStringView message_;
    std::span<const Key> keys_;
    DigitCode code_;
    bool spaceEndsWord_ = false;
    std::vector<std::size_t> letters_;
    Reading reading_;
};

}  // namespace

Reading readDigits(QStringView message, std::span<const Key> keys, DigitCode code)
{
    Reading reading = DigitReader(message, keys, code).read();
    reading.bySymbols = code == DigitCode::Phone ? u"Διαβάστηκε από τα ψηφία, όπως τα πατάει κανείς στο κινητό."_s
                                                 : u"Διαβάστηκε από τους αριθμούς, όπως γράφονται με το χέρι."_s;
    return reading;
}

}  // namespace model
