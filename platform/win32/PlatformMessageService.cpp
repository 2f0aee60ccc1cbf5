#include "platform/MessageService.h"

namespace {

class SystemMessageService : public MessageService {
public:
    int Show(const std::string& text, const std::string& caption, UINT style) override
    {
        return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
    }
};

} // namespace

MessageService& PlatformMessageService()
{
    static SystemMessageService service;
    return service;
}
