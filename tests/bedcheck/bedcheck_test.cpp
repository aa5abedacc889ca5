#include <windows.h>
#include <gtest/gtest.h>
TEST(Bed, RunsUnderWine) { EXPECT_NE(GetModuleHandleW(L"ntdll.dll"), nullptr); }
