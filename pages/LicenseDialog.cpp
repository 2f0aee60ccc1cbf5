#include "pages/LicenseDialog.h"

BEGIN_MESSAGE_MAP(LicenseDialog, CDialog)
ON_BN_CLICKED(IDC_LICENSE_DISAGREE, &LicenseDialog::OnDisagree)
ON_BN_CLICKED(IDC_LICENSE_AGREE, &LicenseDialog::OnAgree)
END_MESSAGE_MAP()

void LicenseDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDOK, m_nextButton);
    DDX_Control(pDX, IDC_LICENSE_TEXT, m_licenseText);
}

BOOL LicenseDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    const LicenseText license = ReadLicenseText();
    if (license.found)
        m_licenseText.SetWindowTextA(license.text.c_str());
    else
        EndDialog(kNoLicense);
    return TRUE;
}

void LicenseDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void LicenseDialog::OnAgree()
{
    m_nextButton.EnableWindow(TRUE);
}

void LicenseDialog::OnDisagree()
{
    m_nextButton.EnableWindow(FALSE);
}
