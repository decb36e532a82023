#include "slideshow/output_name.h"

#include <gtest/gtest.h>

TEST(OutputNameTest, SwfExtensionIgnoresCaseAndLooksAtTheLastFourCharacters) {
    EXPECT_TRUE(HasSwfExtension("/home/u/show.swf"));
    EXPECT_TRUE(HasSwfExtension("SHOW.SWF"));
    EXPECT_TRUE(HasSwfExtension("a.sWf"));
    EXPECT_TRUE(HasSwfExtension(".swf"));
    EXPECT_FALSE(HasSwfExtension("movie.swf.txt"));
    EXPECT_FALSE(HasSwfExtension("movie.gif"));
    EXPECT_FALSE(HasSwfExtension("movieswf"));
    EXPECT_FALSE(HasSwfExtension("swf"));
    EXPECT_FALSE(HasSwfExtension(""));
}

TEST(OutputNameTest, OnlyTheFileNameIsUpperCased) {
    EXPECT_EQ(UpperCaseFileName("/home/u/show.swf"), "/home/u/SHOW.SWF");
    EXPECT_EQ(UpperCaseFileName("show.swf"), "SHOW.SWF");
    EXPECT_EQ(UpperCaseFileName("/tmp/dir.swf/x.swf"), "/tmp/dir.swf/X.SWF");
    // Multi-byte characters pass unchanged.
    EXPECT_EQ(UpperCaseFileName("/m/\xC3\xA9t\xC3\xA9.swf"), "/m/\xC3\xA9T\xC3\xA9.SWF");
}
