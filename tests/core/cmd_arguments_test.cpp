// The console program's command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmd/arguments.h"

namespace {

TEST(CmdArguments, CodePageIsTakenInEitherSpellingAndOnlyWhereItIsKnown) {
    struct Case {
        std::vector<std::u16string> args;
        bool ok;
        unsigned codePage;
    };
    const Case cases[] = {
        {{u"brand", u"b.ini", u"C:\\A\\ZovIDE.exe"}, true, 0},
        {{u"--code-page", u"65001", u"brand", u"b.ini", u"x.exe"}, true, 65001},
        {{u"brand", u"b.ini", u"x.exe", u"--code-page=936"}, true, 936},
        {{u"restore", u"x.exe", u"--code-page", u"936"}, true, 936},
        {{u"brand", u"b.ini", u"x.exe", u"--code-page"}, false, 0},
        {{u"brand", u"b.ini", u"x.exe", u"--code-page=1252"}, false, 0},
        // The value is not taken for a path.
        {{u"brand", u"--code-page", u"936", u"b.ini"}, false, 0},
    };
    for (const Case& c : cases) {
        brand::Arguments parsed;
        std::u16string error;
        EXPECT_EQ(c.ok, brand::ParseArguments(c.args, parsed, error)) << c.args.size();
        if (c.ok) {
            EXPECT_EQ(c.codePage, parsed.codePage);
            EXPECT_TRUE(error.empty());
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

}  // namespace
