#include "pages/LicenseDialog.h"

#include "platform/CFile.h"
#include "platform/CurrentDirectory.h"

#include <vector>

BEGIN_MESSAGE_MAP(LicenseDialog, CDialog)
ON_BN_CLICKED(IDC_LICENSE_DISAGREE, &LicenseDialog::OnDisagree)
ON_BN_CLICKED(IDC_LICENSE_AGREE, &LicenseDialog::OnAgree)
END_MESSAGE_MAP()

LicenseDialog::LicenseText LicenseDialog::ReadLicenseText()
{
    LicenseText result;
    CFile file;
    if (!file.Open(CurrentDirectoryFile("license.txt").c_str(), CFile::modeRead | CFile::shareCompat))
        return result;
    std::vector<char> buffer(kMaxLicenseBytes, '\0');
    const UINT read = file.Read(buffer.data(), kMaxLicenseBytes);
    file.Close();
    if (read == CFile::readError)
        return result;
    result.found = true;
    result.text.assign(buffer.data(), read);
    result.text.resize(
        result.text.find('\0') == std::string::npos ? result.text.size() : result.text.find('\0'));
    return result;
}

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
