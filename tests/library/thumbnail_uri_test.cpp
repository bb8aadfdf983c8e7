// File URIs as the shared thumbnail cache names files by them.
#include "library/thumbnail_uri.h"

#include <gtest/gtest.h>

namespace {

TEST(ThumbnailUri, EscapesEveryByteFileManagersEscape) {
    struct Case {
        const char* path;
        const char* uri;
    };
    const Case cases[] = {
        {"/home/jens/photos/me.png", "file:///home/jens/photos/me.png"},
        {"/tmp/a b.jpg", "file:///tmp/a%20b.jpg"},
        {"/tmp/\xC3\xA9t\xC3\xA9.png", "file:///tmp/%C3%A9t%C3%A9.png"}, // UTF-8 "été"
        {"/tmp/#1 [x] 50%?.gif", "file:///tmp/%231%20%5Bx%5D%2050%25%3F.gif"},
        {"/tmp/a+b,c;d=e@f:g!h$i&j'k(l)m*n~o-p_q.jpg",
         "file:///tmp/a+b,c;d=e@f:g!h$i&j'k(l)m*n~o-p_q.jpg"},
        {"/tmp/\"<>\\^`{|}.png", "file:///tmp/%22%3C%3E%5C%5E%60%7B%7C%7D.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(library::fileUri(c.path), c.uri) << c.path;
}

} // namespace
