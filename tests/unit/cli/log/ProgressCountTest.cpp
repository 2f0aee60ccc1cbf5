#include "cli/log/ProgressCount.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

// A console whose text can be read back.
class Console {
public:
    std::FILE* get() const { return m_file.get(); }
    std::string Text() const
    {
        (void)std::fflush(get());
        std::rewind(get());
        std::string text;
        for (int c = std::fgetc(get()); c != EOF; c = std::fgetc(get()))
            text += static_cast<char>(c);
        return text;
    }

private:
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_file { std::tmpfile(), &std::fclose };
};

TEST(ProgressCount, ShowsEveryHundredthFileOnALineOfItsOwn)
{
    const Console console;
    ProgressCount count;
    count.ShowOn(console.get());
    for (unsigned files = 0; files <= 250; ++files)
        count.Copied(files);
    EXPECT_EQ("\r100 files copied\r200 files copied", console.Text());
    EXPECT_TRUE(count.LineOpen());
    count.EndLine();
    count.EndLine(); // once only
    count.Copied(99);
    EXPECT_EQ("\r100 files copied\r200 files copied\n", console.Text());
    count.Copied(18446744073709551600u);
    EXPECT_EQ("\r100 files copied\r200 files copied\n\r18446744073709551600 files copied", console.Text());
}

TEST(ProgressCount, EndsItsLineWhenItGoesOrMoves)
{
    const Console first;
    const Console second;
    {
        ProgressCount count;
        count.ShowOn(first.get());
        count.Copied(100);
        count.ShowOn(second.get());
        EXPECT_EQ("\r100 files copied\n", first.Text());
        count.Copied(300);
        count.ShowOn(second.get()); // the same stream: the line goes on
        count.Copied(400);
    }
    EXPECT_EQ("\r300 files copied\r400 files copied\n", second.Text());
}

TEST(ProgressCount, ShownNowhereSaysNothing)
{
    const Console console;
    {
        ProgressCount count;
        count.Copied(100);
        count.EndLine();
        count.ShowOn(console.get());
        count.ShowOn(nullptr);
        count.Copied(200);
        EXPECT_FALSE(count.LineOpen());
    }
    EXPECT_EQ("", console.Text());
}

} // namespace
