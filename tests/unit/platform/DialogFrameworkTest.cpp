#include "ScriptedHost.h"

#include "platform/CDialog.h"
#include "platform/Controls.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Template numbers and controls of the pages these tests borrow.
constexpr int kAboutTemplate = 100;
constexpr int kJvmTemplate = 132;
constexpr int kLicenseTemplate = 133;
constexpr int kJvmList = 1017;
constexpr int kJvmPath = 1019;
constexpr int kDisagree = 1021;
constexpr int kAgree = 1022;
constexpr int kLicenseText = 1023;

// A page on the licence template with a handler per radio button and a member bound to the text.
class ProbeDialog : public CDialog {
public:
    explicit ProbeDialog(int endDuringInit = 0)
        : CDialog(kLicenseTemplate)
        , m_endDuringInit(endDuringInit)
    { }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_text.SetWindowTextA("bound through DDX_Control");
        if (m_endDuringInit)
            EndDialog(m_endDuringInit);
        return TRUE;
    }

    int agreed = 0;
    int disagreed = 0;
    bool throwOnAgree = false;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, kLicenseText, m_text); }
    void OnAgree()
    {
        ++agreed;
        if (throwOnAgree)
            throw std::runtime_error("handler failed");
    }
    void OnDisagree() { ++disagreed; }
    DECLARE_MESSAGE_MAP()

private:
    CEdit m_text;
    int m_endDuringInit;
};

BEGIN_MESSAGE_MAP(ProbeDialog, CDialog)
ON_BN_CLICKED(kAgree, &ProbeDialog::OnAgree)
ON_BN_CLICKED(kDisagree, &ProbeDialog::OnDisagree)
END_MESSAGE_MAP()

TEST(DialogFramework, ControlOneAndTwoEscAndTheCloseBoxEndThePage)
{
    struct Case {
        const char* how;
        void (*act)(PageView&);
        INT_PTR result;
    } cases[] = {
        { "OK", [](PageView& page) { page.Click(IDOK); }, IDOK },
        { "Esc", [](PageView& page) { page.PressEscape(); }, IDCANCEL },
        { "close box", [](PageView& page) { page.CloseBox(); }, IDCANCEL },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        ScriptedHost host;
        host.OnPage(kAboutTemplate, [&](PageView& page) {
            EXPECT_TRUE(page.Shown());
            EXPECT_EQ("About Tarnwick", page.Caption());
            c.act(page);
        });
        CDialog about(kAboutTemplate);
        EXPECT_EQ(c.result, about.DoModal());
    }
}

TEST(DialogFramework, MessageMapsRouteClicksAndDataExchangeBindsMembers)
{
    ScriptedHost host;
    ProbeDialog dialog;
    host.OnPage(kLicenseTemplate, [&](PageView& page) {
        EXPECT_EQ("bound through DDX_Control", page.Text(kLicenseText));
        EXPECT_FALSE(page.Enabled(IDOK)) << "the template disables Next at first";
        page.Click(kAgree);
        page.Click(kDisagree);
        page.Click(kAgree);
        EXPECT_EQ(BST_CHECKED, page.Check(kAgree));
        EXPECT_EQ(BST_UNCHECKED, page.Check(kDisagree)) << "automatic radio buttons form one group";
        page.Click(IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(2, dialog.agreed);
    EXPECT_EQ(1, dialog.disagreed);
    EXPECT_EQ(nullptr, dialog.m_hWnd) << "the page's windows are gone after DoModal";
}

TEST(DialogFramework, APageEndedWhileItInitialisesIsNeverShown)
{
    ScriptedHost host;
    ProbeDialog dialog(100);
    EXPECT_EQ(100, dialog.DoModal());
    EXPECT_TRUE(host.Turns().empty());
}

TEST(DialogFramework, AFailingHandlerEndsThePageInsteadOfUnwinding)
{
    ScriptedHost host;
    ProbeDialog dialog;
    dialog.throwOnAgree = true;
    host.OnPage(kLicenseTemplate, [](PageView& page) { page.Click(kAgree); });
    EXPECT_EQ(-1, dialog.DoModal());
}

TEST(DialogFramework, ControlsAnswerLikeTheCommonControls)
{
    ScriptedHost host;
    host.OnPage(kJvmTemplate, [](PageView& page) {
        CListBox list;
        list.m_hWnd = GetDlgItem(page.Handle(), kJvmList);
        EXPECT_EQ(LB_ERR, list.GetCurSel());
        EXPECT_EQ(0, list.AddString("c:\\jre\\b.dll"));
        EXPECT_EQ(0, list.AddString("C:\\JRE\\a.dll")) << "a sorted list ignores case";
        EXPECT_EQ(2, list.AddString("d.dll"));
        std::string text;
        list.GetText(1, text);
        EXPECT_EQ("c:\\jre\\b.dll", text);
        list.GetText(7, text);
        EXPECT_EQ("", text);
        page.Select(kJvmList, 2);
        EXPECT_EQ(2, list.GetCurSel());

        CEdit edit;
        edit.m_hWnd = GetDlgItem(page.Handle(), kJvmPath);
        page.Type(kJvmPath, std::string(300, 'p'));
        char cut[256];
        EXPECT_EQ(255, edit.GetWindowTextA(cut, sizeof cut)) << "a fixed buffer takes what fits";
        EXPECT_EQ(std::string(300, 'p'), edit.GetWindowTextA());
        page.PressEscape();
    });
    CDialog jvm(kJvmTemplate);
    EXPECT_EQ(IDCANCEL, jvm.DoModal());
}

TEST(DialogFramework, ProgressBarsKeepRangeStepAndPosition)
{
    ScriptedHost host;
    host.OnPage(102, [](PageView& page) {
        CProgressCtrl bar;
        bar.m_hWnd = GetDlgItem(page.Handle(), 1028);
        EXPECT_EQ(0, bar.GetPos());
        bar.SetRange(0, 3);
        EXPECT_EQ(10, bar.SetStep(1));
        EXPECT_EQ(0, bar.StepIt());
        bar.StepIt();
        bar.StepIt();
        EXPECT_EQ(3, page.ProgressPosition(1028));
        bar.StepIt();
        EXPECT_EQ(1, bar.GetPos()) << "past the end the bar starts over";
        EXPECT_EQ(1, bar.SetPos(9));
        EXPECT_EQ(3, bar.GetPos()) << "a position is kept inside the range";
        page.PressEscape();
    });
    CDialog main(102);
    EXPECT_EQ(IDCANCEL, main.DoModal());
}

TEST(DialogFramework, AnUnexpectedPageFailsTheTestAndIsCancelled)
{
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedHost host;
            host.OnPage(kJvmTemplate, [](PageView& page) { page.PressEscape(); });
            CDialog about(kAboutTemplate);
            EXPECT_EQ(IDCANCEL, about.DoModal());
            CDialog jvm(kJvmTemplate);
            jvm.DoModal();
        },
        "page 100 waits for the user");
}

TEST(DialogFramework, WithoutAHostNoPageStarts)
{
    CDialog about(kAboutTemplate);
    EXPECT_EQ(-1, about.DoModal());
}

} // namespace
