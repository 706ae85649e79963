// The list builder exactly as first described: Playtally mode compares every group's first play
// with every later play and ranks with the pairwise exchange. Quadratic; kept only to check the
// product's builder against it and to measure the difference. Never linked into the plug-in.
#pragma once
#include <cstdint>
#include <vector>

#include "database/Doc.h"

// The rows CDoc::BuildList gives, by the plain algorithm.
RowArray referenceBuildList(CDoc& doc, const BuildListParams& params);

// The exchange ranking on its own: the positions of `hits` in ranked order.
std::vector<std::size_t> referenceExchangeRank(const std::vector<std::int32_t>& hits);
