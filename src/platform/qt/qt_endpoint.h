// A message endpoint served on the UI thread: a socket notifier calls Dispatch whenever the
// endpoint has work, and each message goes to the handler, or, without one, to the
// messageReceived signal whose receiver may set the result.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "platform/endpoint.h"

Q_DECLARE_METATYPE(tobu::Message)

namespace tobu {

class QtEndpoint : public QObject {
    Q_OBJECT
public:
    explicit QtEndpoint(QObject* parent = nullptr);
    ~QtEndpoint() override;

    // Creates the socket; 0 on failure. A second call returns the existing handle.
    WindowHandle Create();
    WindowHandle handle() const { return endpoint_.handle(); }
    void SetHandler(Endpoint::Handler handler) { handler_ = std::move(handler); }

signals:
    // Emitted for each message when no handler is set; *result (initially 0) is what a sender
    // waiting for the answer receives. Connect directly (same thread).
    void messageReceived(const tobu::Message& msg, qint64* result);

private:
    int64_t Handle(const Message& msg);

    Endpoint endpoint_;
    std::unique_ptr<QSocketNotifier> notifier_;
    Endpoint::Handler handler_;
};

} // namespace tobu
