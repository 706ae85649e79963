// The resizer on a test dialog: its flags, rules, the deferred batch and the corner grip.
#include <gtest/gtest.h>

#include <vector>

#include "UiTestResources.h"
#include "WinTestSupport.h"
#include "ui/ResizeDialog.h"

namespace {
struct Registration {
    int id;
    ResizeRule rule;
};

class TestResizeDialog : public CResizeDialog {
public:
    TestResizeDialog(DWORD flags, std::vector<Registration> registrations)
        : CResizeDialog(IDD_TEST_RESIZE, nullptr, flags), registrations_(std::move(registrations)) {}
    int sizeCalls = 0;

protected:
    BOOL OnInitDialog() override {
        CResizeDialog::OnInitDialog();
        for (const auto& r : registrations_) m_resizer.AddControl(r.id, r.rule);
        return TRUE;
    }
    void OnSizeChanged(UINT, int, int) override { ++sizeCalls; }

private:
    std::vector<Registration> registrations_;
};

// Gives up the batch at the move number `failAt` (counting from 1).
class FailingResizer : public CResizer {
public:
    FailingResizer(CWnd& owner, int failAt) : CResizer(owner, ResizeNoGrip), failAt_(failAt) {}
    int moves = 0;

protected:
    HDWP DeferMove(HDWP batch, HWND window, int x, int y, int cx, int cy) override {
        if (++moves == failAt_) return nullptr;
        return CResizer::DeferMove(batch, window, x, y, cx, cy);
    }

private:
    int failAt_;
};

SIZE sizeOf(const RECT& r) { return SIZE{r.right - r.left, r.bottom - r.top}; }
bool same(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

class ResizerTest : public ::testing::Test {
protected:
    void open(DWORD flags, std::vector<Registration> registrations = {}) {
        dialog_ = std::make_unique<TestResizeDialog>(flags, std::move(registrations));
        ASSERT_TRUE(dialog_->Create());
        window_ = dialog_->GetSafeHwnd();
        ::SetWindowPos(window_, nullptr, 50, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        dialog_->ShowWindow(SW_SHOW);
        initial_ = sizeOf(dialog_->GetWindowRect());
    }
    void resizeBy(int dx, int dy) {
        SIZE now = sizeOf(dialog_->GetWindowRect());
        ::SetWindowPos(window_, nullptr, 0, 0, now.cx + dx, now.cy + dy, SWP_NOMOVE | SWP_NOZORDER);
    }
    RECT rect(int id) const { return controlRectInDialog(window_, id); }
    MINMAXINFO minMax() const {
        MINMAXINFO info{};
        info.ptMaxSize = {11111, 11111};
        info.ptMaxTrackSize = {22222, 22222};
        info.ptMinTrackSize = {3, 3};
        ::SendMessageA(window_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        return info;
    }
    bool transparent(int id) const { return (::GetWindowLongPtrA(::GetDlgItem(window_, id), GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0; }

    std::unique_ptr<TestResizeDialog> dialog_;
    HWND window_ = nullptr;
    SIZE initial_{};
};

const std::vector<Registration> kEveryButton = {{IDC_TEST_GROUP, {}},
                                                {IDC_TEST_PLAIN_CHECK, {}},
                                                {IDC_TEST_TAB_CHECK, {}},
                                                {IDOK, {0.5f, 1, 0.5f, 1}}};

TEST_F(ResizerTest, FlagsDecideGripMinimumClippingAndTransparentButtons) {
    const struct {
        DWORD flags;
        bool grip, minimum, clip, transparent;
    } cases[] = {
        {0, true, true, true, true},
        {ResizeNoGrip, false, true, true, true},
        {ResizeNoMinSize, true, false, true, true},
        {ResizeNoClipChildren, true, true, false, true},
        {ResizeNoTransparentButtons, true, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        open(c.flags, kEveryButton);
        EXPECT_EQ(::GetDlgItem(window_, CResizer::kGripId) != nullptr, c.grip);
        MINMAXINFO info = minMax();
        EXPECT_EQ(info.ptMinTrackSize.x == initial_.cx && info.ptMinTrackSize.y == initial_.cy, c.minimum);
        if (!c.minimum) {
            EXPECT_EQ(info.ptMinTrackSize.x, 3);
        }
        EXPECT_EQ((dialog_->GetStyle() & WS_CLIPCHILDREN) != 0, c.clip);
        EXPECT_EQ(transparent(IDC_TEST_GROUP), c.transparent);
        EXPECT_EQ(transparent(IDC_TEST_PLAIN_CHECK), c.transparent);
        EXPECT_FALSE(transparent(IDC_TEST_TAB_CHECK));  // a tab stop keeps it opaque
        EXPECT_FALSE(transparent(IDOK));                // a push button too
        EXPECT_EQ(info.ptMaxSize.x, 11111);             // no fixed side: the system's values stay
        EXPECT_EQ(info.ptMaxTrackSize.y, 22222);
    }
}

TEST_F(ResizerTest, FixedSidesHoldTheMaximumAtTheLastSize) {
    const struct {
        DWORD flags;
        bool width, height;
    } cases[] = {{ResizeFixedWidth, true, false}, {ResizeFixedHeight, false, true}, {ResizeFixedWidth | ResizeFixedHeight, true, true}};
    for (const auto& c : cases) {
        open(c.flags, {{IDOK, {}}});
        resizeBy(10, 10);  // a fixed side does not follow
        SIZE now = sizeOf(dialog_->GetWindowRect());
        EXPECT_EQ(now.cx, initial_.cx + (c.width ? 0 : 10));
        EXPECT_EQ(now.cy, initial_.cy + (c.height ? 0 : 10));
        MINMAXINFO info = minMax();
        EXPECT_EQ(info.ptMaxSize.x, c.width ? now.cx : 11111);
        EXPECT_EQ(info.ptMaxTrackSize.x, c.width ? now.cx : 22222);
        EXPECT_EQ(info.ptMaxSize.y, c.height ? now.cy : 11111);
        EXPECT_EQ(info.ptMaxTrackSize.y, c.height ? now.cy : 22222);
    }
}

TEST_F(ResizerTest, HalfFactorsAccumulateWithoutDrift) {
    open(ResizeNoGrip, {{IDOK, {0.5f, 1, 0.5f, 1}}});
    RECT start = rect(IDOK);
    const struct {
        int widen;
        int offset;
    } steps[] = {{1, 0}, {1, 1}, {1, 1}, {-1, 1}, {-1, 0}, {-1, 0}, {3, 1}, {-3, 0}};
    for (const auto& step : steps) {
        resizeBy(step.widen, 0);
        RECT now = rect(IDOK);
        EXPECT_EQ(now.left - start.left, step.offset);
        EXPECT_EQ(now.right - now.left, start.right - start.left);
    }
    EXPECT_EQ(dialog_->sizeCalls, 8);
}

TEST_F(ResizerTest, SameControlTwiceSumsTheRules) {
    open(ResizeNoGrip, {{IDOK, {1, 0, 1, 0}}, {IDCANCEL, {1, 1, 1, 1}}, {IDOK, {0, 1, 0, 1}}});
    EXPECT_EQ(dialog_->Resizer().Entries().size(), 2u);
    RECT ok = rect(IDOK), cancel = rect(IDCANCEL);
    resizeBy(17, 9);
    for (auto [id, before] : {std::pair{IDOK, ok}, std::pair{IDCANCEL, cancel}}) {
        RECT after = rect(id);
        EXPECT_EQ(after.left - before.left, 17) << id;
        EXPECT_EQ(after.top - before.top, 9) << id;
        EXPECT_EQ(sizeOf(after).cx, sizeOf(before).cx) << id;
    }
}

TEST_F(ResizerTest, MinimizeAndRestorePutEveryControlBack) {
    open(0, {{IDC_TEST_NOTES, {0, 0, 1, 0}}, {IDOK, {0.5f, 1, 0.5f, 1}}, {IDCANCEL, {1, 1, 1, 1}}});
    resizeBy(31, 17);
    const int ids[] = {IDC_TEST_NOTES, IDOK, IDCANCEL, CResizer::kGripId};
    std::vector<RECT> before;
    for (int id : ids) before.push_back(rect(id));
    dialog_->ShowWindow(SW_MINIMIZE);
    EXPECT_TRUE(::IsIconic(window_));
    dialog_->ShowWindow(SW_RESTORE);
    for (size_t i = 0; i < before.size(); ++i) EXPECT_TRUE(same(before[i], rect(ids[i]))) << ids[i];
}

TEST_F(ResizerTest, GripSitsFlushInTheCornerAtEverySize) {
    open(0);
    for (auto [dx, dy] : {std::pair{0, 0}, {1, 0}, {40, 30}, {-13, 7}, {250, 301}, {-278, -338}}) {
        resizeBy(dx, dy);
        RECT grip = rect(CResizer::kGripId), client = dialog_->GetClientRect();
        EXPECT_EQ(grip.right, client.right);
        EXPECT_EQ(grip.bottom, client.bottom);
        EXPECT_GT(grip.right - grip.left, 0);
    }
    // The grip drags the corner.
    RECT grip = CWnd(::GetDlgItem(window_, CResizer::kGripId)).GetWindowRect();
    LPARAM inside = MAKELPARAM(grip.right - 2, grip.bottom - 2);
    EXPECT_EQ(::SendMessageA(window_, WM_NCHITTEST, 0, inside), HTBOTTOMRIGHT);
}

TEST_F(ResizerTest, AFailedMoveAbandonsThePassButKeepsItsPositions) {
    open(ResizeNoGrip);
    FailingResizer resizer(*dialog_, 2);
    resizer.Init();
    for (int id : {IDOK, IDCANCEL, IDC_TEST_NOTES}) resizer.AddControl(id, ResizeRule{1, 1, 1, 1});
    RECT ok = rect(IDOK);
    resizeBy(10, 10);
    resizer.OnSize();
    EXPECT_EQ(resizer.moves, 2);                    // the third control was not reached
    EXPECT_TRUE(same(ok, rect(IDOK)));  // nothing moved
    EXPECT_EQ(resizer.Entry(IDOK)->left, ok.left + 10.0f);
    EXPECT_EQ(resizer.Entry(IDCANCEL)->left, rect(IDCANCEL).left + 10.0f);
    EXPECT_EQ(resizer.Entry(IDC_TEST_NOTES)->left, static_cast<float>(rect(IDC_TEST_NOTES).left));
    resizeBy(5, 0);  // the next pass counts from the new window size
    resizer.OnSize();
    EXPECT_EQ(rect(IDOK).left, ok.left + 15);
    EXPECT_EQ(resizer.moves, 5);
}

TEST(ReachableRect, KeepsAStoredWindowWhereItCanBeSeenAndReached) {
    const RECT work{0, 0, 1280, 1000};
    const SIZE minimum{200, 150};
    const struct {
        RECT stored, expected;
    } cases[] = {
        {{100, 100, 600, 500}, {100, 100, 600, 500}},              // inside: unchanged
        {{30000, 30000, 30400, 30300}, {880, 700, 1280, 1000}},    // off every screen
        {{-5000, 200, -4600, 500}, {0, 200, 400, 500}},
        {{100, 100, 100, 100}, {100, 100, 300, 250}},              // no size: the minimum
        {{0, 0, 5000000, 7000000}, {0, 0, 1280, 1000}},            // millions
        {{-2000000000, -2000000000, 2000000000, 2000000000}, {0, 0, 1280, 1000}},
        {{500, 400, 300, 200}, {500, 400, 700, 550}},              // upside down
    };
    for (const auto& c : cases) {
        RECT got = CResizer::ReachableRect(c.stored, work, minimum);
        EXPECT_TRUE(same(got, c.expected)) << got.left << "," << got.top << "," << got.right << "," << got.bottom;
    }
}
}  // namespace
