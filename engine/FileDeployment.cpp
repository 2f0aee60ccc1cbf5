#include "engine/FileDeployment.h"

#include "engine/InstallQuestions.h"
#include "engine/PathText.h"
#include "platform/CFileFind.h"
#include "platform/MachineChanges.h"
#include "platform/MessageService.h"

bool DeployFiles(const ConfigOption& option, const DirectoryTexts& directories)
{
    std::string destination = ReplaceDirectoryPlaceholders(option.getDest(), directories);
    std::string source = option.getSource();
    source = CollapseDoubledBackslashes(source);
    destination = CollapseDoubledBackslashes(destination);

    if (!EnsureDestinationFolder(destination))
        return false;
    if (!CopyFolderTree(source, destination)) {
        AfxMessageBox("An error occurred while copying files", MB_OK);
        return false;
    }
    return true;
}

bool EnsureDestinationFolder(std::string path)
{
    if (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();

    MachineChanges& machine = GetMachineChanges();
    if (machine.Exists(path))
        return true;

    const std::string question = CreateFolderQuestion(path);
    if (AfxMessageBox(question.c_str(), MB_YESNO) != IDYES)
        return false;
    if (machine.CreateFolder(path) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    AfxMessageBox(
        "Add Directory Failed!\nYou Cannot create sub directories off parent directories which do not exist.",
        MB_ICONHAND);
    return false;
}

bool CopyFolderTree(std::string source, std::string destination)
{
    source += '\\';
    destination += '\\';

    bool allCopied = true;
    CFileFind finder;
    BOOL more = finder.FindFile((source + "*.*").c_str());
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDots() || finder.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const std::string name = finder.GetFileName();
        if (finder.MatchesMask(FILE_ATTRIBUTE_DIRECTORY)) {
            // A folder that exists already is fine; one that cannot be made shows up as failed copies.
            (void)GetMachineChanges().CreateFolder(destination + name);
            if (!CopyFolderTree(source + name, destination + name))
                allCopied = false;
        } else if (!GetMachineChanges().CopyFileTo(
                       finder.GetFilePath(), destination + name, finder.GetLength())) {
            allCopied = false;
        }
    }
    finder.Close();
    return allCopied;
}
