#include "platform/qt/qt_endpoint.h"

namespace tobu {

QtEndpoint::QtEndpoint(QObject* parent) : QObject(parent) {
    endpoint_.SetHandler([this](const Message& msg) { return Handle(msg); });
}

QtEndpoint::~QtEndpoint() {
    notifier_.reset();
    endpoint_.Close();
}

WindowHandle QtEndpoint::Create() {
    if (endpoint_.handle() != 0) return endpoint_.handle();
    if (endpoint_.Create() == 0) return 0;
    notifier_ = std::make_unique<QSocketNotifier>(endpoint_.fd(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { endpoint_.Dispatch(); });
    return endpoint_.handle();
}

int64_t QtEndpoint::Handle(const Message& msg) {
    if (handler_) {
        Endpoint::Handler handler = handler_;
        return handler(msg);
    }
    qint64 result = 0;
    emit messageReceived(msg, &result);
    return result;
}

} // namespace tobu
