#include "search/first_occurrence.h"

#include <algorithm>
#include <deque>
#include <utility>

namespace lanseek::search {
namespace {

// A trie of the needles with failure links (the automaton of Aho and Corasick). Transitions are kept
// sparse, sorted by byte, because the needles of a large page may add up to millions of nodes.
struct Automaton
{
    struct Node
    {
        std::vector<std::pair<unsigned char, int>> next;
        int fail = 0;
        int output = -1;        // the nearest node on the failure chain (itself included) that ends needles
        int firstEnding = -1;   // a needle that ends here; further ones through sameEnd
        bool chainDone = false; // every needle ending on this node's output chain has been found
    };
    std::vector<Node> nodes{1};
    std::vector<int> sameEnd; // per needle, the next needle ending on the same node, or -1

    int child(int node, unsigned char byte) const
    {
        const auto& next = nodes[node].next;
        const auto it = std::lower_bound(next.begin(), next.end(), std::make_pair(byte, -1));
        return it != next.end() && it->first == byte ? it->second : -1;
    }

    void add(std::string_view needle, int index)
    {
        int node = 0;
        for (const char c : needle) {
            const auto byte = static_cast<unsigned char>(c);
            int found = child(node, byte);
            if (found < 0) {
                found = static_cast<int>(nodes.size());
                auto& next = nodes[node].next;
                next.insert(std::lower_bound(next.begin(), next.end(), std::make_pair(byte, -1)),
                            std::make_pair(byte, found));
                nodes.emplace_back();
            }
            node = found;
        }
        sameEnd[index] = nodes[node].firstEnding;
        nodes[node].firstEnding = index;
    }

    // The node reached from node on byte, following failure links where the trie has no edge.
    int step(int node, unsigned char byte) const
    {
        while (true) {
            const int found = child(node, byte);
            if (found >= 0)
                return found;
            if (node == 0)
                return 0;
            node = nodes[node].fail;
        }
    }

    // Failure links and output links, breadth first so that a node's failure target is done before it.
    void link()
    {
        std::deque<int> queue;
        for (const auto& [byte, node] : nodes[0].next)
            queue.push_back(node);
        while (!queue.empty()) {
            const int node = queue.front();
            queue.pop_front();
            Node& current = nodes[node];
            current.output = current.firstEnding >= 0 ? node : nodes[current.fail].output;
            for (const auto& [byte, target] : current.next) {
                nodes[target].fail = node == 0 ? 0 : step(current.fail, byte);
                queue.push_back(target);
            }
        }
    }
};

} // namespace

std::vector<std::size_t> firstOccurrences(std::string_view text, const std::vector<std::string_view>& needles)
{
    std::vector<std::size_t> found(needles.size(), kNotFound);
    Automaton automaton;
    automaton.sameEnd.assign(needles.size(), -1);
    std::size_t wanted = 0;
    for (std::size_t i = 0; i < needles.size(); ++i) {
        if (!needles[i].empty()) {
            automaton.add(needles[i], static_cast<int>(i));
            ++wanted;
        }
    }
    if (wanted == 0)
        return found;
    automaton.link();

    int node = 0;
    for (std::size_t end = 0; end < text.size() && wanted > 0; ++end) {
        node = automaton.step(node, static_cast<unsigned char>(text[end]));
        // Needles ending here are found now, at their earliest end and so at their earliest start. A chain
        // walked before holds only needles found before, so the walk stops there and each node's needles
        // are reported once.
        for (int out = automaton.nodes[node].output; out >= 0 && !automaton.nodes[out].chainDone;) {
            for (int index = automaton.nodes[out].firstEnding; index >= 0; index = automaton.sameEnd[index]) {
                found[index] = end + 1 - needles[index].size();
                --wanted;
            }
            automaton.nodes[out].chainDone = true;
            out = automaton.nodes[automaton.nodes[out].fail].output;
        }
    }
    return found;
}

} // namespace lanseek::search
