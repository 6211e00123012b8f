// The conditional-request rules and the request target's forms, case by case.

#include <gtest/gtest.h>

#include "web/serve/http_validators.h"
#include "web/serve/request_target.h"

namespace {

using web::serve::NoneMatchHolds;
using web::serve::NotModified;
using web::serve::OriginFormOf;
using web::serve::ParseHttpDate;

TEST(HttpValidatorsTest, IfNoneMatchComparesEveryListedTagWeakly) {
    const std::string tag = "\"1f-a46-18ef\"";
    struct Case {
        const char* field;
        bool holds;
    };
    for (const Case& row : std::initializer_list<Case>{
             {"\"1f-a46-18ef\"", true},
             {"W/\"1f-a46-18ef\"", true},
             {"*", true},
             {"  *  ", true},
             {"\"other\", \"1f-a46-18ef\"", true},
             {"\"other\",W/\"1f-a46-18ef\" , \"x\"", true},
             {"\"a,b\", \"1f-a46-18ef\"", true},  // a comma inside a tag is no separator
             {"\"other\"", false},
             {"\"1f-a46-18e\"", false},
             {"1f-a46-18ef", false},  // unquoted: not a tag
             {"\"1f-a46-18ef", false},
             {"", false},
             {"**", false},
             {"W/", false},
         }) {
        EXPECT_EQ(NoneMatchHolds(row.field, tag), row.holds) << row.field;
    }
}

TEST(HttpValidatorsTest, DatesInTheirThreeFormsAndThePrecedenceOfTheValidators) {
    constexpr std::time_t Sunday = 784111777;  // 1994-11-06 08:49:37 UTC
    EXPECT_EQ(ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), Sunday);
    EXPECT_EQ(ParseHttpDate("Sunday, 06-Nov-94 08:49:37 GMT"), Sunday);
    EXPECT_EQ(ParseHttpDate("Sun Nov  6 08:49:37 1994"), Sunday);
    for (const char* bad : {"", "yesterday", "Sun, 06 Nov 1994 08:49:37", "1994-11-06",
                            "Sun, 06 Nov 1994 08:49:37 GMT trailing"}) {
        EXPECT_FALSE(ParseHttpDate(bad)) << bad;
    }
    EXPECT_EQ(web::serve::HttpDate(Sunday), "Sun, 06 Nov 1994 08:49:37 GMT");

    const char* since = "Sun, 06 Nov 1994 08:49:37 GMT";
    EXPECT_TRUE(NotModified(nullptr, since, "\"t\"", Sunday));
    EXPECT_TRUE(NotModified(nullptr, since, "\"t\"", Sunday - 1));
    EXPECT_FALSE(NotModified(nullptr, since, "\"t\"", Sunday + 1));
    EXPECT_FALSE(NotModified(nullptr, "garbage", "\"t\"", Sunday));
    // If-None-Match, when sent, decides alone.
    EXPECT_FALSE(NotModified("\"other\"", since, "\"t\"", Sunday));
    EXPECT_TRUE(NotModified("\"t\"", "Thu, 01 Jan 1970 00:00:00 GMT", "\"t\"", Sunday));
    EXPECT_FALSE(NotModified(nullptr, nullptr, "\"t\"", Sunday));
}

TEST(HttpValidatorsTest, AnAbsoluteFormTargetIsItsPath) {
    struct Case {
        const char* target;
        const char* origin;
    };
    for (const Case& row : std::initializer_list<Case>{
             {"/index.html", "/index.html"},
             {"http://localhost/index.html", "/index.html"},
             {"HTTP://example.org:8765/data/world.js?v=2", "/data/world.js?v=2"},
             {"http://localhost", "/"},
             {"http://localhost?x", "/"},
             {"http://localhost/../outside", "/../outside"},  // the path rule still judges it
             {"*", "*"},
             {"/a://b", "/a://b"},
             {"://x/y", "://x/y"},
         }) {
        EXPECT_EQ(OriginFormOf(row.target), row.origin) << row.target;
    }
}

}  // namespace
