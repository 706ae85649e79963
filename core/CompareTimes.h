// Comparison of two time values by an operator text ("<", "<=", "=<", ">", ">=", "=>", "==", "!=").
#pragma once
#include "core/Clock.h"

// True when `left op right` holds; an operator text outside the table yields false. The texts are
// matched exactly (case-sensitive, no spaces).
bool CompareTimes(TimeValue left, const char* op, TimeValue right);
