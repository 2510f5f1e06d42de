#include "view/Messages.h"

#include <iostream>
#include <mutex>
#include <utility>

namespace {

struct TMessageService {
    std::mutex Lock;
    TMessageHandler Handler;
};

TMessageService& Service() {
    static TMessageService service;
    return service;
}

} // namespace

TMessageHandler SetMessageHandler(TMessageHandler Handler) {
    TMessageService& service = Service();
    std::lock_guard lock(service.Lock);
    return std::exchange(service.Handler, std::move(Handler));
}

void ShowMessage(const std::string& Caption, const std::string& Text) {
    TMessageHandler handler;
    {
        // A copy, so that a handler that shows a modal box does not hold the lock meanwhile.
        TMessageService& service = Service();
        std::lock_guard lock(service.Lock);
        handler = service.Handler;
    }
    if (handler) {
        handler(Caption, Text);
    } else {
        std::cerr << Caption << ": " << Text << '\n';
    }
}
