#include "TempFolder.h"

#include "platform/DialogTemplate.h"
#include "platform/posix/terminal/TerminalDialogs.h"
#include "platform/posix/terminal/TerminalLayout.h"
#include "res/resource.h"

#include <gtest/gtest.h>

using namespace posix;

namespace {

// A page's windows straight from its template, as the modal loop creates them before
// initialisation changes anything.
class TemplatePage {
public:
    explicit TemplatePage(int id)
    {
        const DialogTemplate* page = FindDialogTemplate(id);
        EXPECT_NE(nullptr, page) << id;
        if (!page)
            return;
        m_handle = CreateDialogWindows(*page, nullptr);
        (void)ShowWindow(m_handle, SW_SHOWNORMAL);
    }
    ~TemplatePage() { DestroyWindowEntry(m_handle); }

    const Window& Page() const { return *FindWindowEntry(m_handle); }
    std::vector<const Window*> Controls() const
    {
        std::vector<const Window*> controls;
        for (HWND child : Page().children)
            controls.push_back(FindWindowEntry(child));
        return controls;
    }

private:
    HWND m_handle = nullptr;
};

} // namespace

TEST(TerminalLayout, EveryPageFitsEightyByTwentyFiveWithNoControlOverAnotherAndNoLabelCut)
{
    for (int id : { IDD_MAIN, IDD_JVM, IDD_LICENSE, IDD_ABOUTBOX }) {
        SCOPED_TRACE("template " + std::to_string(id));
        const TemplatePage page(id);
        const PageLayout layout(page.Page());
        EXPECT_LE(layout.Rows(), PageLayout::kFullRows);
        EXPECT_LE(layout.Cols(), PageLayout::kFullCols);

        const auto controls = page.Controls();
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const CellRect a = layout.Place(*controls[i]);
            EXPECT_LE(a.Bottom(), layout.Rows()) << controls[i]->text;
            EXPECT_LE(a.Right(), layout.Cols()) << controls[i]->text;
            for (std::size_t j = i + 1; j < controls.size(); ++j)
                EXPECT_FALSE(a.Overlaps(layout.Place(*controls[j])))
                    << "controls " << controls[i]->id << " \"" << controls[i]->text << "\" and "
                    << controls[j]->id << " \"" << controls[j]->text << "\"";
            if (controls[i]->kind == ControlKind::Static && !controls[i]->text.empty()) {
                const CellRect area = layout.TextArea(page.Page(), *controls[i]);
                EXPECT_LE(WrapText(controls[i]->text, area.cols).size(), static_cast<std::size_t>(area.rows))
                    << "\"" << controls[i]->text << "\" is cut";
            }
        }
    }
}

TEST(TerminalLayout, TextsWrapAtSpacesAndKeepTheirLineBreaks)
{
    EXPECT_EQ((std::vector<std::string> { "one two", "three" }), WrapText("one two three", 8));
    EXPECT_EQ((std::vector<std::string> { "first", "", "second" }), WrapText("first\r\n\r\nsecond", 20));
    EXPECT_EQ((std::vector<std::string> { "abcde", "fghij", "k" }), WrapText("abcdefghijk", 5));
    EXPECT_EQ((std::vector<std::string> { "    indented" }), WrapText("\tindented", 20));
    EXPECT_EQ((std::vector<std::string> { "" }), WrapText("", 10));
    EXPECT_EQ("Save & Exit", VisibleLabel("&Save && Exit"));
    EXPECT_EQ("R&D", VisibleLabel("R&D", true));
}

TEST(TerminalPathPrompt, TabCompletesNamesWithoutRegardToCaseAndStopsWhereTheyDiffer)
{
    const TempFolder folder;
    folder.Write("CFusion/CustomTags/readme.txt", "x");
    folder.Write("CFusion/CustomPages/readme.txt", "x");
    folder.Write("Cool/file.txt", "x");
    folder.Write("cfx.txt", "x");
    const std::string root = folder.Path() + "\\";

    Completion one = CompletePath(root + "cf", PathKind::Folder);
    EXPECT_EQ(std::vector<std::string> { "CFusion\\" }, one.names);
    EXPECT_EQ(root + "CFusion\\", one.completed);

    Completion two = CompletePath(root + "CFusion\\c", PathKind::Folder);
    EXPECT_EQ((std::vector<std::string> { "CustomPages\\", "CustomTags\\" }), two.names);
    EXPECT_EQ(root + "CFusion\\Custom", two.completed);

    // Files are offered only when a file is asked for.
    EXPECT_EQ((std::vector<std::string> { "CFusion\\", "cfx.txt" }),
        CompletePath(root + "CF", PathKind::File).names);
    EXPECT_EQ(root + "CF", CompletePath(root + "CF", PathKind::File).completed);

    const Completion none = CompletePath(root + "missing\\x", PathKind::Folder);
    EXPECT_TRUE(none.names.empty());
    EXPECT_EQ(root + "missing\\x", none.completed);
}
