#include "platform/MessageService.h"

namespace {

MessageService* g_service = nullptr;

} // namespace

MessageService& GetMessageService()
{
    return g_service ? *g_service : PlatformMessageService();
}

MessageService* SetMessageService(MessageService* service)
{
    MessageService* previous = g_service;
    g_service = service;
    return previous;
}

std::string GetAppTitle()
{
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length < MAX_PATH ? length : MAX_PATH);
    const std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

int AfxMessageBox(LPCSTR text, UINT type, UINT)
{
    return GetMessageService().Show(text ? text : "", GetAppTitle(), type);
}

int AfxMessageBox(UINT stringId, UINT type, UINT)
{
    char text[1024] = {};
    (void)LoadStringA(GetModuleHandleA(nullptr), stringId, text, sizeof text);
    return GetMessageService().Show(text, GetAppTitle(), type);
}
