#include "decodability.h"

#include "reading.h"
#include "signs.h"

#include <QSet>
#include <algorithm>
#include <queue>

using namespace Qt::StringLiterals;

namespace model {

namespace {

// One step of the search: two sequences of keys whose texts agree so far,
// one ahead of the other by `rest`. Each step appends a key to the one
// behind; a pair's steps lead back to the two keys it started with.
struct Step {
    QString rest;
    qsizetype length;  // of the longer text
    int parent;        // -1 for a pair's first key
    int key, side;     // the key appended, to sequence 0 or 1
    int ahead;         // the sequence ahead after it
};

}  // namespace

std::optional<Ambiguity> findAmbiguity(std::span<const Key> keys)
{
    // The keys that write something, a letter and the separator always.
    std::vector<Key> counted;
    std::vector<std::size_t> place;  // in `keys`, or past its end for a sign
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (keys[k].kind != Key::Kind::Custom || !keys[k].code.isEmpty()) {
            counted.push_back(keys[k]);
            place.push_back(k);
        }
    }
    // Braille's signs depend on their neighbours; its reader tells their
    // ambiguity from the message itself.
    if (const SignCode signs = signCodeOf(keys); signs != SignCode::Braille) {
        for (Key& sign : signKeys(signs)) {
            counted.push_back(std::move(sign));
            place.push_back(keys.size());
        }
    }
    const auto name = [&](int k) {
        return place[std::size_t(k)] < keys.size() ? keyTableName(keys, place[std::size_t(k)])
                                                   : counted[std::size_t(k)].name;
    };
    for (std::size_t k = 0; k < counted.size(); ++k) {
        if (counted[k].code.isEmpty())
            return Ambiguity{{name(int(k))}, {}, {}};
    }

    // Dijkstra over the dangling suffixes of Sardinas and Patterson, by the
    // length of the text written: the first pair to agree wholly is the
    // shortest example.
    std::vector<Step> steps;
    const auto later = [&steps](int a, int b) { return steps[std::size_t(a)].length > steps[std::size_t(b)].length; };
    std::priority_queue<int, std::vector<int>, decltype(later)> queue(later);
    const auto push = [&](Step step) {
        steps.push_back(std::move(step));
        queue.push(int(steps.size()) - 1);
    };
    for (std::size_t b = 0; b < counted.size(); ++b) {
        const QString& longer = counted[b].code;
        for (std::size_t a = 0; a < counted.size(); ++a) {
            const QString& shorter = counted[a].code;
            if (a == b || shorter.size() > longer.size() || (shorter.size() == longer.size() && a > b)
                || !longer.startsWith(shorter))
                continue;
            steps.push_back({{}, shorter.size(), -1, int(a), 0, 0});
            push({longer.mid(shorter.size()), longer.size(), int(steps.size()) - 1, int(b), 1, 1});
        }
    }

    QSet<QString> seen;
    while (!queue.empty()) {
        const int at = queue.top();
        queue.pop();
        const Step step = steps[std::size_t(at)];
        if (step.rest.isEmpty()) {
            std::vector<int> sequences[2];
            for (int s = at; s >= 0; s = steps[std::size_t(s)].parent) {
                std::vector<int>& sequence = sequences[steps[std::size_t(s)].side];
                sequence.insert(sequence.begin(), steps[std::size_t(s)].key);
            }
            Ambiguity found;
            for (const int k : sequences[0]) {
                found.first << name(k);
                found.text += counted[std::size_t(k)].code;
            }
            for (const int k : sequences[1])
                found.second << name(k);
            return found;
        }
        if (seen.contains(step.rest))
            continue;
        seen.insert(step.rest);
        const int behind = 1 - step.ahead;
        for (std::size_t k = 0; k < counted.size(); ++k) {
            const QString& code = counted[k].code;
            if (step.rest.startsWith(code))
                push({step.rest.mid(code.size()), step.length, at, int(k), behind, step.ahead});
            else if (code.startsWith(step.rest))
                push({code.mid(step.rest.size()), step.length + code.size() - step.rest.size(), at, int(k), behind,
                      behind});
        }
    }
    return std::nullopt;
}

QString ambiguityNote(std::span<const Key> keys)
{
    const std::optional<Ambiguity> found = findAmbiguity(keys);
    if (!found)
        return {};
    const auto sequence = [](const QStringList& names) {
        const bool letters = std::all_of(names.begin(), names.end(), [](const QString& n) { return n.size() == 1; });
        return u"«"_s + names.join(letters ? u""_s : u" + "_s) + u"»"_s;
    };
    const QString start = u"Οι κωδικοί διαβάζονται με περισσότερους από έναν τρόπο: "_s;
    if (found->second.isEmpty())
        return start + u"το "_s + sequence(found->first) + u" δεν γράφει τίποτα."_s;
    return start + sequence(found->first) + u" και "_s + sequence(found->second) + u" γράφουν και τα δύο «"_s
        + found->text + u"»."_s;
}

}  // namespace model
