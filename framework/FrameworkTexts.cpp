#include "framework/FrameworkTexts.h"

#include <utility>

namespace {
FrameworkTexts& installedTexts() {
    static FrameworkTexts texts;
    return texts;
}
}  // namespace

const FrameworkTexts& frameworkTexts() { return installedTexts(); }
void setFrameworkTexts(FrameworkTexts texts) { installedTexts() = std::move(texts); }
