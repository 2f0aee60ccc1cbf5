// The shell's folder browser on POSIX: the host picks the folder; an item list is just its path.
#include "platform/posix/windows/DialogHost.h"

#include <cstdlib>
#include <cstring>

struct ITEMIDLIST {
    char path[MAX_PATH];
};

namespace {

class HeapAllocator : public IMalloc {
public:
    void* Alloc(std::size_t size) override { return std::malloc(size); }
    void Free(void* block) override { std::free(block); }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
};

} // namespace

HRESULT WINAPI SHGetMalloc(IMalloc** allocator)
{
    static HeapAllocator heap;
    if (!allocator)
        return E_FAIL;
    *allocator = &heap;
    return S_OK;
}

LPITEMIDLIST WINAPI SHBrowseForFolderA(BROWSEINFOA* browseInfo)
{
    posix::DialogHost* host = posix::GetDialogHost();
    if (!browseInfo || !host)
        return nullptr;
    const std::optional<std::string> chosen = host->BrowseForFolder(
        browseInfo->hwndOwner, browseInfo->lpszTitle ? browseInfo->lpszTitle : "", browseInfo->ulFlags);
    if (!chosen || chosen->size() >= MAX_PATH)
        return nullptr;
    IMalloc* allocator = nullptr;
    (void)SHGetMalloc(&allocator);
    auto* list = static_cast<ITEMIDLIST*>(allocator->Alloc(sizeof(ITEMIDLIST)));
    std::memcpy(list->path, chosen->c_str(), chosen->size() + 1);
    if (browseInfo->pszDisplayName) {
        const std::size_t cut = chosen->find_last_of('\\');
        const std::string display = cut == std::string::npos ? *chosen : chosen->substr(cut + 1);
        std::memcpy(browseInfo->pszDisplayName, display.c_str(), display.size() + 1);
    }
    return list;
}

BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST itemList, LPSTR path)
{
    if (!itemList || !path)
        return FALSE;
    std::strcpy(path, itemList->path);
    return itemList->path[0] != '\0'; // an item without a file-system path
}
