// The ranking of the ranked mode: most hits first, with the order among equal hits that the
// list's traditional exchange ranking gives, computed in near-linear time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The positions of `hits` (collection order) in the order the exchange ranking leaves them,
// cut after `limit` entries. The exchange ranking is: for each position i from the first to the
// second-last, for each later j in increasing order, swap i and j when hits[i] < hits[j].
//
// Cost: sorting the values, then for each distinct value v one pass over the entries whose hits
// are at least v. An entry with h hits takes part in at most h such passes, so the passes together
// cost at most the sum of the hits (the number of plays ranked).
std::vector<std::size_t> rankByHits(const std::vector<std::int32_t>& hits, std::size_t limit);
