#pragma once
// The codes a letter may have, as a tree of their elements: from each
// prefix, how likely a dot or a dash comes next and how likely the letter
// ends there, a short code likelier than a long one. Heard with it, a weak dot
// inside a letter is weighed against what dropping it would make of the
// letter (two letters, or none at all), not against its gaps' lengths alone.

#include <string>
#include <vector>

namespace decoder {

class Letters {
public:
    static constexpr double none = -1e300;
    static constexpr int root = 0;  // no element yet

    explicit Letters(const std::vector<std::string>& codes);

    int size() const { return int(nodes_.size()); }
    // The log-probability of a dot or a dash after `node` (none where no code goes on so).
    double step(int node, bool dash) const { return nodes_[std::size_t(node)].step[dash ? 1 : 0]; }
    // The element that led to `node`, and the prefix before it (-1 at the root).
    bool dash(int node) const { return nodes_[std::size_t(node)].dash; }
    int parent(int node) const { return nodes_[std::size_t(node)].parent; }
    // The log-probability that a letter begun so ends at `node` (none where it is no code).
    double end(int node) const { return nodes_[std::size_t(node)].end; }

private:
    int depth(int node) const;
    struct Node {
        int next[2] = {-1, -1};
        double step[2] = {none, none};
        double end = none;
        int parent = -1;
        bool dash = false;
        double weight = 0;  // of the codes beginning so
        bool code = false;
    };
    std::vector<Node> nodes_;
};

}  // namespace decoder
