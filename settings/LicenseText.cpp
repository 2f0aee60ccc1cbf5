#include "settings/LicenseText.h"

#include "platform/CFile.h"
#include "platform/CurrentDirectory.h"

#include <vector>

LicenseText ReadLicenseText()
{
    LicenseText result;
    CFile file;
    if (!file.Open(CurrentDirectoryFile("license.txt").c_str(), CFile::modeRead | CFile::shareCompat))
        return result;
    std::vector<char> buffer(LicenseText::kMaxBytes, '\0');
    const UINT read = file.Read(buffer.data(), LicenseText::kMaxBytes);
    file.Close();
    if (read == CFile::readError)
        return result;
    result.found = true;
    result.text.assign(buffer.data(), read);
    result.text.resize(
        result.text.find('\0') == std::string::npos ? result.text.size() : result.text.find('\0'));
    return result;
}
