// CString, the string table and CMapStringToString.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/platform/mfc/cstring.h"
#include "app/platform/mfc/string_map.h"
#include "app/platform/win32/string_table.h"

TEST(CStringTest, ConcatenationOnEitherSideAndComparison) {
    const CString root("C:\\Q");
    CString mask = root + "\\world_cache\\" + CString("East") + "quarlend";
    EXPECT_EQ(mask, "C:\\Q\\world_cache\\Eastquarlend");
    EXPECT_EQ(CString("x") + root, "xC:\\Q");
    EXPECT_EQ("x" + root, "xC:\\Q");
    mask += 'X';
    mask += mask;  // appending to itself doubles it
    EXPECT_EQ(mask, "C:\\Q\\world_cache\\EastquarlendXC:\\Q\\world_cache\\EastquarlendX");
    EXPECT_TRUE(CString("a") < CString("b"));
    EXPECT_TRUE(CString("a") != "A");
    EXPECT_EQ(CString(static_cast<const char*>(nullptr)), "");
    EXPECT_TRUE(CString().IsEmpty());
    CString emptied("text");
    emptied.Empty();
    EXPECT_TRUE(emptied.IsEmpty());
    EXPECT_STREQ(emptied.GetString(), "");
}

TEST(CStringTest, ReplaceIsExactCaseSensitiveAndCounts) {
    CString name("quarlendQUARLENDquarlendQuarlend");
    EXPECT_EQ(name.Replace("quarlend", ""), 2);
    EXPECT_EQ(name, "QUARLENDQuarlend");
    CString overlapping("aaaa");
    EXPECT_EQ(overlapping.Replace("aa", "a"), 2);  // left to right, no overlaps, no rescan
    EXPECT_EQ(overlapping, "aa");
    CString growing("a.b.c");
    EXPECT_EQ(growing.Replace(".", ".."), 2);
    EXPECT_EQ(growing, "a..b..c");
    CString untouched("abc");
    EXPECT_EQ(untouched.Replace("", "x"), 0);
    EXPECT_EQ(untouched.Replace("z", "x"), 0);
    EXPECT_EQ(untouched, "abc");
}

TEST(CStringTest, FormatFollowsPrintfAtAnyLength) {
    CString text;
    text.Format("%.1f, %.1f / %d%%", 12.25, -3.0, 7);
    EXPECT_EQ(text, "12.2, -3.0 / 7%");
    const std::string longText(5000, 'q');
    text.Format("[%s]", longText.c_str());
    EXPECT_EQ(text.GetLength(), 5002);
    // The arguments may come from the string being formatted.
    text.Format("%s+%s", text.GetString(), "tail");
    EXPECT_EQ(text.GetLength(), 5007);
    EXPECT_EQ(text.str().substr(5000), "q]+tail");
}

TEST(CStringTest, LoadStringFromTheStringTable) {
    win32::ClearResourceStrings();
    win32::SetResourceString(101, "&About VelmoraExplorer...");
    CString text("unchanged");
    EXPECT_EQ(text.LoadString(102), FALSE);
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(text.LoadString(101), TRUE);
    EXPECT_EQ(text, "&About VelmoraExplorer...");
    win32::SetResourceString(103, "");
    EXPECT_EQ(text.LoadString(103), TRUE);
    EXPECT_TRUE(text.IsEmpty());
    win32::ClearResourceStrings();
}

TEST(StringMapTest, KeysAreExactAndUnique) {
    CMapStringToString map(10);
    EXPECT_TRUE(map.IsEmpty());
    map["3_4"] = "C:\\t\\3_4";
    map["3_4"] = "C:\\t\\3_4.old";  // a later one replaces the earlier path
    map["3_4 "] = "space";
    map["a"] = "lower";
    map["A"] = "upper";
    EXPECT_EQ(map.GetCount(), 4);
    CString value("kept");
    EXPECT_EQ(map.Lookup("3_4", value), TRUE);
    EXPECT_EQ(value, "C:\\t\\3_4.old");
    EXPECT_EQ(map.Lookup("A", value), TRUE);
    EXPECT_EQ(value, "upper");
    value = "kept";
    EXPECT_EQ(map.Lookup("3_5", value), FALSE);
    EXPECT_EQ(value, "kept");
    map.RemoveAll();
    EXPECT_EQ(map.GetCount(), 0);
    EXPECT_EQ(map.GetStartPosition(), nullptr);
    EXPECT_EQ(map.Lookup("a", value), FALSE);
}

TEST(StringMapTest, IterationVisitsEveryAssociationOnce) {
    CMapStringToString map;
    for (int i = 0; i < 100; ++i) {
        map[(std::to_string(i % 10) + "_" + std::to_string(i)).c_str()] = std::to_string(i).c_str();
    }
    std::set<std::string> seen;
    POSITION position = map.GetStartPosition();
    while (position != nullptr) {
        CString key;
        CString value;
        map.GetNextAssoc(position, key, value);
        EXPECT_TRUE(seen.insert(key.str()).second) << key.str();
        EXPECT_EQ(key.str().substr(key.str().find('_') + 1), value.str());
    }
    EXPECT_EQ(seen.size(), 100u);
}
