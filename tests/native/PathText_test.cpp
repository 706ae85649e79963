// A play's path in place or on the heap: every length whole, and plain value semantics between
// the two forms (the sanitizers watch the blocks).
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <utility>

#include "core/PathText.h"

namespace {

const std::size_t kCap = CPathText::kInlineCapacity;

struct Form {
    const char* name;
    std::string text;
};

const Form kForms[] = {
    {"empty", ""},
    {"short", "C:\\Music\\a.mp3"},
    {"bytes beyond ASCII", "C:\\M\xFCsik\\\xE9t\xE9 \xC3\xA9.mp3"},
    {"exactly in place", std::string(kCap, 'p')},
    {"one past", std::string(kCap + 1, 'h')},
    {"beyond MAX_PATH", std::string(300, 'l')},
};

void expectHolds(const CPathText& p, const std::string& text) {
    EXPECT_EQ(p, text);
    EXPECT_EQ(p.size(), text.size());
    EXPECT_EQ(p.empty(), text.empty());
    EXPECT_EQ(std::strlen(p.c_str()), text.size());  // zero-terminated right after the bytes
    EXPECT_EQ(p.onHeap(), text.size() > kCap);
}

}  // namespace

TEST(PathText, HoldsEveryLengthWhole) {
    for (const Form& f : kForms) {
        SCOPED_TRACE(f.name);
        expectHolds(CPathText(f.text), f.text);
        expectHolds(CPathText(f.text.c_str()), f.text);
        std::ostringstream printed;
        printed << CPathText(f.text);
        EXPECT_EQ(printed.str(), f.text);
        EXPECT_EQ(CPathText(f.text).str(), f.text);
    }
    expectHolds(CPathText(static_cast<const char*>(nullptr)), "");
    EXPECT_TRUE(CPathText("a") < CPathText("b"));
    EXPECT_NE(CPathText("a"), "a\xE9");
}

TEST(PathText, CopiesMovesAndAssignsBetweenForms) {
    for (const Form& from : kForms)
        for (const Form& to : kForms) {
            SCOPED_TRACE(std::string(from.name) + " onto " + to.name);
            const CPathText source(from.text);
            CPathText copy(source);
            expectHolds(copy, from.text);
            if (source.onHeap()) {
                EXPECT_NE(copy.c_str(), source.c_str());  // a copy owns its bytes
            }

            CPathText assigned(to.text);
            assigned = source;
            expectHolds(assigned, from.text);
            expectHolds(source, from.text);

            CPathText moved(std::move(copy));
            expectHolds(moved, from.text);
            expectHolds(copy, "");  // NOLINT(bugprone-use-after-move): a moved-from path is empty

            CPathText moveAssigned(to.text);
            moveAssigned = std::move(moved);
            expectHolds(moveAssigned, from.text);
            expectHolds(moved, "");  // NOLINT(bugprone-use-after-move)

            CPathText fromText(to.text);
            fromText = from.text;
            expectHolds(fromText, from.text);
            fromText = to.text.c_str();
            expectHolds(fromText, to.text);
            fromText = std::string_view(from.text);
            expectHolds(fromText, from.text);
        }
}

TEST(PathText, AssignsFromItself) {
    for (const Form& f : kForms) {
        SCOPED_TRACE(f.name);
        CPathText p(f.text);
        CPathText& same = p;
        p = same;
        expectHolds(p, f.text);
        p = std::move(same);
        expectHolds(p, f.text);
        // A part of its own bytes: from the heap into place, or within either form.
        p.assign(p.view().substr(f.text.size() / 2));
        expectHolds(p, f.text.substr(f.text.size() / 2));
        p = p.c_str();
        expectHolds(p, f.text.substr(f.text.size() / 2));
    }
}
