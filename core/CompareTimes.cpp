#include "core/CompareTimes.h"

#include <cstring>

namespace {
enum class Relation { Less, LessOrEqual, Greater, GreaterOrEqual, Equal, NotEqual };

struct OperatorText {
    const char* text;
    Relation relation;
};

constexpr OperatorText kOperators[] = {
    {"<", Relation::Less},           {"<=", Relation::LessOrEqual},    {"=<", Relation::LessOrEqual},
    {">", Relation::Greater},        {">=", Relation::GreaterOrEqual}, {"=>", Relation::GreaterOrEqual},
    {"==", Relation::Equal},         {"!=", Relation::NotEqual},
};
}  // namespace

bool CompareTimes(TimeValue left, const char* op, TimeValue right) {
    if (!op) return false;
    for (const OperatorText& entry : kOperators) {
        if (std::strcmp(entry.text, op) != 0) continue;
        switch (entry.relation) {
            case Relation::Less: return left < right;
            case Relation::LessOrEqual: return left <= right;
            case Relation::Greater: return left > right;
            case Relation::GreaterOrEqual: return left >= right;
            case Relation::Equal: return left == right;
            case Relation::NotEqual: return left != right;
        }
    }
    return false;
}
