#include "backend/text_win.h"

#include <gtest/gtest.h>

using namespace corvanta;

TEST(WidenNarrow, EmptyAndRoundTrips) {
    EXPECT_EQ(widen(""), L"");
    EXPECT_EQ(narrow(L""), "");
    const std::wstring umlauts = L"Gr\u00FC\u00DFe \u00C4\u00D6\u00DC";
    EXPECT_EQ(narrow(umlauts), "Gr\xC3\xBC\xC3\x9F" "e \xC3\x84\xC3\x96\xC3\x9C");
    EXPECT_EQ(widen(narrow(umlauts)), umlauts);
    // An emoji is a surrogate pair in UTF-16 and four bytes in UTF-8.
    const std::wstring emoji = L"a\xD83D\xDE00z";
    EXPECT_EQ(narrow(emoji), "a\xF0\x9F\x98\x80z");
    EXPECT_EQ(widen("a\xF0\x9F\x98\x80z"), emoji);
    EXPECT_EQ(widen(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(WidenNarrow, BrokenUtf8BecomesReplacementCharacter) {
    EXPECT_EQ(widen("ab\xC3"), L"ab\xFFFD");
    EXPECT_EQ(widen("\xFF"), L"\xFFFD");
    const std::wstring w = widen("x\xE2\x82y");
    EXPECT_EQ(w.front(), L'x');
    EXPECT_EQ(w.back(), L'y');
    EXPECT_NE(w.find(L'\xFFFD'), std::wstring::npos);
}

TEST(GetText, ReadsControlTextExactly) {
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(getText(edit), L"");
    SetWindowTextW(edit, L"Caf\u00E9 \"quote\"");
    EXPECT_EQ(getText(edit), L"Caf\u00E9 \"quote\"");
    DestroyWindow(edit);
    EXPECT_EQ(getText(nullptr), L"");
}
