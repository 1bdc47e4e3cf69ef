// The first vorlap constructed stays the application; later ones only replace
// the icon and title ids, and copies change nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include "recording_app.h"

namespace {

// Title id 7 names no string in this program: were it used, the class would
// be named by an empty string, not "vorlapWindow".
RecordingApp first(0, 7);
vorlap second(0, 0);
vorlap copyOfFirst(first);

TEST(SecondObject, KeepsTheFirstAsApplicationButReplacesTheIds) {
    vorlap assigned;
    assigned = first;  // assignment registers nothing either
    first.onInit = [] { return 0; };
    EXPECT_EQ(vorlapMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL), 0);
    EXPECT_EQ(first.Hooked("InitApp"), 1) << "the first object is the application";
    char name[64] = "";
    ASSERT_GT(GetClassNameA(second.GethWnd(), name, sizeof(name)), 0);
    EXPECT_STREQ(name, "vorlapWindow");
    EXPECT_EQ(first.GethWnd(), second.GethWnd());
    EXPECT_EQ(first.GethInst(), copyOfFirst.GethInst());
}

}  // namespace
