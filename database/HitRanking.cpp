#include "database/HitRanking.h"

#include <algorithm>
#include <numeric>

#include "core/StableOrder.h"

// Why this gives the exchange ranking's order.
//
// One outer step i of the exchange ranking carries a "current" entry along the suffix: it starts
// as the entry at i and is swapped out whenever a strictly larger one is met. So the entries that
// are strictly larger than everything before them (the records r0 = i, r1, ..., rk of the suffix)
// each move to the slot of the next record, and rk, the first largest entry, lands at i. Every
// other entry stays where it is. Hence the output is sorted by hits, largest first; what needs
// care is the order among equal hits.
//
// Fix a value v and look only at the entries with at least v hits, in their current order. A
// record among them is a record of the whole suffix too (smaller entries never block it), and it
// moves to the next record's slot, so these entries evolve exactly as if the smaller ones did not
// exist. Among them call an entry "v" when it has v hits and "B" when it has more. Only the first
// entry can be a record with v hits, and its next record is the first B after it. So, while a B
// remains, one step does this to the v/B pattern:
//   - it starts with B: that B goes away, the v entries keep their order;
//   - it starts with a run of v entries followed by a B: the first v takes that B's place and the
//     B goes away, i.e. the first v moves to the end of its run.
// Once no B is left, the v entries are output in their current order. The B values never matter.
// Reading the entries with at least v hits in collection order and keeping a queue of the v
// entries met so far, this is: a v entry joins the queue at the back; a B entry, when the queue is
// not empty, moves the queue's front to its back. The queue at the end is the output order of the
// entries with v hits. For hits 1, 2, 1, 2 and v = 1: queue [a], B: [a], c: [a, c], B: [c, a];
// v = 2 keeps [b, d]; so b, d, c, a.
std::vector<std::size_t> rankByHits(const std::vector<std::int32_t>& hits, std::size_t limit) {
    const std::size_t count = hits.size();
    std::vector<std::size_t> order;
    if (count == 0 || limit == 0) return order;
    order.reserve(std::min(limit, count));

    // Positions by hits, largest first; equal hits in collection order.
    std::vector<std::size_t> byHits(count);
    std::iota(byHits.begin(), byHits.end(), std::size_t{0});
    stableSortPositions(byHits, [&](std::size_t a, std::size_t b) { return hits[a] > hits[b]; });

    std::vector<std::size_t> larger;  // positions with more hits than the current value, sorted
    std::vector<std::size_t> merged;
    std::vector<std::size_t> queue;   // ring buffer of the entries with the current value
    std::size_t begin = 0;
    while (begin < count && order.size() < limit) {
        const std::int32_t value = hits[byHits[begin]];
        std::size_t end = begin;
        while (end < count && hits[byHits[end]] == value) ++end;

        const std::size_t capacity = end - begin;
        queue.assign(capacity, 0);
        std::size_t head = 0, size = 0;
        merged.clear();
        merged.reserve(larger.size() + capacity);
        std::size_t a = 0, b = begin;
        while (a < larger.size() || b < end) {
            if (b < end && (a == larger.size() || byHits[b] < larger[a])) {
                const std::size_t position = byHits[b++];
                merged.push_back(position);
                queue[(head + size) % capacity] = position;
                ++size;
            } else {
                merged.push_back(larger[a++]);
                if (size != 0) {
                    // The front moves to the back: with a full ring that is only the head moving on.
                    queue[(head + size) % capacity] = queue[head];
                    head = (head + 1) % capacity;
                }
            }
        }
        for (std::size_t k = 0; k < size && order.size() < limit; ++k) order.push_back(queue[(head + k) % capacity]);
        larger.swap(merged);
        begin = end;
    }
    return order;
}
