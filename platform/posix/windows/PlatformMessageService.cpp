// Message boxes on POSIX are the dialog host's. Without a host they are written to standard error
// and questions are answered with the choice that changes nothing.
#include "platform/MessageService.h"
#include "platform/posix/windows/DialogHost.h"

#include <cstdio>

namespace {

class StderrMessageService : public MessageService {
public:
    int Show(const std::string& text, const std::string& caption, UINT style) override
    {
        if (posix::DialogHost* host = posix::GetDialogHost())
            return host->ShowMessageBox(text, caption, style);
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
        return (style & 0x0F) == MB_YESNO ? IDNO : IDOK;
    }
};

} // namespace

MessageService& PlatformMessageService()
{
    static StderrMessageService service;
    return service;
}
