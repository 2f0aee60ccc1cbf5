#include "platform/MessageService.h"

namespace {

class SystemMessageService : public MessageService {
public:
    int Show(const std::string& text, const std::string& caption, UINT style) override
    {
        return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
    }
};

// Constant-initialized at namespace scope, so that no use of it waits on the runtime's guard for a
// function's statics (and the wizard needs none of that code).
constinit SystemMessageService service;

} // namespace

MessageService& PlatformMessageService()
{
    return service;
}
