// A non-zero title string id names the window class and the window after the
// string resource of the program.
#include <gtest/gtest.h>
#include <windows.h>

#include "vorlap.h"

namespace {

class TitledApp : public vorlap {
public:
    TitledApp() : vorlap(0, 1) {}
    int InitApp() override { return 0; }
};
TitledApp app;

TEST(Title, NamesTheClassAndTheWindow) {
    EXPECT_EQ(vorlapMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL), 0);
    char name[64] = "";
    ASSERT_GT(GetClassNameA(app.GethWnd(), name, sizeof(name)), 0);
    EXPECT_STREQ(name, "Framework Title");
    ASSERT_GT(GetWindowTextA(app.GethWnd(), name, sizeof(name)), 0);
    EXPECT_STREQ(name, "Framework Title");
}

}  // namespace
