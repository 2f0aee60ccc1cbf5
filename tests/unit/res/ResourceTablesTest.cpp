// The generated tables as the pages use them. Field-by-field agreement with windres is checked by
// check_against_windres.sh; these tests pin the values the pages' code relies on, by the names in
// resource.h, so a renumbered control or a lost style fails here with a readable message.
#include "platform/DialogTemplate.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const ControlTemplate* findControl(const DialogTemplate& dialog, int id)
{
    for (int i = 0; i < dialog.controlCount; ++i) {
        if (dialog.controls[i].id == id)
            return &dialog.controls[i];
    }
    return nullptr;
}

std::vector<int> controlIds(const DialogTemplate& dialog)
{
    std::vector<int> ids;
    for (int i = 0; i < dialog.controlCount; ++i)
        ids.push_back(dialog.controls[i].id);
    return ids;
}

TEST(ResourceTables, WizardPagesShareGeometryFontAndModalStyle)
{
    for (const int id : { IDD_JVM, IDD_LICENSE }) {
        SCOPED_TRACE(id);
        const DialogTemplate* page = FindDialogTemplate(id);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->id, id);
        EXPECT_FALSE(page->extended);
        EXPECT_EQ(page->style, 0x80C808C0u); // popup, caption, system menu, modal frame, centred, set-font
        EXPECT_EQ(page->exStyle, 0u);
        EXPECT_EQ(page->cx, 320);
        EXPECT_EQ(page->cy, 199);
        EXPECT_EQ(page->fontName, "MS Sans Serif");
        EXPECT_EQ(page->fontSize, 8);
    }
    EXPECT_EQ(FindDialogTemplate(IDD_JVM)->caption, "Java Virtual Machine Settings");
    EXPECT_EQ(FindDialogTemplate(IDD_LICENSE)->caption, "License");
}

TEST(ResourceTables, MainPageIsAVisibleExtendedAppWindowWithItsControlsInTabOrder)
{
    const DialogTemplate* page = FindDialogTemplate(IDD_MAIN);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->extended);
    EXPECT_EQ(page->style, 0x90C808C0u); // as the wizard pages, plus WS_VISIBLE
    EXPECT_EQ(page->exStyle, 0x00040000u); // WS_EX_APPWINDOW
    EXPECT_EQ(page->caption, "Tarnwick");
    const std::vector<int> expected = { IDOK, IDC_BACK, IDC_INSTALL, IDC_STATIC, IDC_DIR1_EDIT,
        IDC_DIR1_LABEL, IDC_DIR1_BROWSE, IDC_DIR2_LABEL, IDC_DIR2_EDIT, IDC_DIR2_BROWSE, IDC_OPTION_CHECK1,
        IDC_OPTION_CHECK2, IDC_OPTION_CHECK3, IDC_OPTION_CHECK4, IDC_OPTION_CHECK5, IDC_OPTION_CHECK6,
        IDC_OPTION_CHECK7, IDC_DIR3_LABEL, IDC_DIR3_EDIT, IDC_DIR3_BROWSE, IDC_PROGRESS };
    EXPECT_EQ(controlIds(*page), expected);

    const ControlTemplate& progress = page->controls[page->controlCount - 1];
    EXPECT_EQ(progress.id, 1028);
    EXPECT_EQ(progress.className, "msctls_progress32");
    EXPECT_EQ(progress.style, 0x50800000u); // a border and nothing else
    EXPECT_EQ(page->controls[0].text, "Cancel"); // the Cancel button is IDOK
    EXPECT_EQ(findControl(*page, IDC_INSTALL)->style, 0x50010001u); // the default button
    EXPECT_EQ(findControl(*page, IDC_OPTION_CHECK1)->style, 0x50010003u);
}

TEST(ResourceTables, LicencePageStartsWithNextDisabledAndOneRadioGroupWithoutTabStops)
{
    const DialogTemplate* page = FindDialogTemplate(IDD_LICENSE);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->controlCount, 7);
    EXPECT_EQ(page->controls[0].id, IDOK);
    EXPECT_EQ(page->controls[0].style, 0x58010001u);
    EXPECT_EQ(findControl(*page, IDC_LICENSE_BACK)->style, 0x58010000u);
    EXPECT_EQ(findControl(*page, IDC_LICENSE_DISAGREE)->style, 0x50020009u); // starts the group
    EXPECT_EQ(findControl(*page, IDC_LICENSE_AGREE)->style, 0x50000009u);
    EXPECT_EQ(findControl(*page, IDC_LICENSE_TEXT)->style, 0x50B10804u); // multi-line, read-only
}

TEST(ResourceTables, JvmListSortsAndNotifies)
{
    const DialogTemplate* page = FindDialogTemplate(IDD_JVM);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->controlCount, 9);
    const ControlTemplate* list = findControl(*page, IDC_JVM_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->className, "LISTBOX");
    EXPECT_EQ(list->style, 0x50B10103u); // LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT, scroll bars, border
    EXPECT_EQ(findControl(*page, IDC_JVM_PATH)->style, 0x50810080u);
}

TEST(ResourceTables, ImagesAreNamedByNumberNotByText)
{
    for (const int id : { IDD_MAIN, IDD_JVM, IDD_LICENSE }) {
        SCOPED_TRACE(id);
        const DialogTemplate* page = FindDialogTemplate(id);
        ASSERT_NE(page, nullptr);
        const ControlTemplate& picture = page->controls[id == IDD_MAIN ? 3 : 2];
        EXPECT_EQ(picture.imageId, IDB_SIDEBAR);
        EXPECT_EQ(picture.text, "");
        EXPECT_EQ(picture.className, "STATIC");
        EXPECT_EQ(picture.style, 0x5000080Eu); // SS_BITMAP | SS_REALSIZEIMAGE
    }
    const DialogTemplate* about = FindDialogTemplate(IDD_ABOUTBOX);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->style, 0x80C800C0u);
    EXPECT_EQ(about->controls[0].imageId, IDR_MAINFRAME);
    EXPECT_EQ(about->controls[0].style, 0x50000003u); // SS_ICON
    EXPECT_EQ(about->controls[1].imageId, 0); // a text label names no image
}

TEST(ResourceTables, StringsAndAbsentResources)
{
    EXPECT_EQ(FindStringResource(IDS_ABOUTBOX), "&About Tarnwick...");
    EXPECT_EQ(FindStringResource(IDS_CANT_GET_FOLDER), "&Can't get folder");
    EXPECT_EQ(FindStringResource(103), "");
    EXPECT_EQ(FindStringResource(-1), "");
    EXPECT_EQ(FindDialogTemplate(IDS_ABOUTBOX), nullptr); // a string number is no dialog
    EXPECT_EQ(FindDialogTemplate(0), nullptr);
}

} // namespace
