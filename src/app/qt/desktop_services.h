// The bar's links to the desktop: global hot keys through the X server, and Unix signals
// (logout, kill) turned into an orderly close on the user-interface thread.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

#include "app/hot_key.h"
#include "platform/qt/global_hotkey.h"

namespace tobu {

class QtHotKeySystem : public HotKeySystem {
public:
    explicit QtHotKeySystem(GlobalHotKey& keys) : keys_(keys) {}
    int AddAtom(const std::string& name) override;
    void DeleteAtom(int atom) override;
    bool RegisterHotKey(int id, int mods, int vk) override;
    void UnregisterHotKey(int id) override;

private:
    GlobalHotKey& keys_;
};

// SIGTERM, SIGINT and SIGHUP arrive as the `terminate` signal on the UI thread.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminate();

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace tobu
