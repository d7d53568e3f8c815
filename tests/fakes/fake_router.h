#pragma once
// A scripted router for the router's rules and windows: its answers are set by the test, its
// mappings kept in memory, every call logged. Safe to use from the router's own thread.

#include "platform/router.h"

#include <QMap>
#include <QStringList>
#include <memory>
#include <mutex>

namespace fakes {

struct RouterScript {
    platform::RouterFound found;
    std::optional<QString> outside;
    QMap<quint16, platform::RouterMapping> mappings; // UDP port -> mapping
    int addResult = platform::Router::Ok;            // an error here refuses every mapping
    bool permanentOnly = false;                      // refuses a lease with 725, as many routers do
    int questionResult = platform::Router::Ok;       // what asking for a mapping gives
    int delayMs = 0;                                 // each call takes this long first
    QStringList calls;                               // "discover", "add 7575 192.168.1.2 3600", ...
};

class FakeRouters : public platform::Routers {
public:
    FakeRouters();
    std::unique_ptr<platform::Router> open() override;

    // Reads or changes the script under its lock.
    template <typename F> auto with(F&& f) {
        std::lock_guard lock(state_->mutex);
        return f(state_->script);
    }

    struct State {
        std::mutex mutex;
        RouterScript script;
    };

private:
    std::shared_ptr<State> state_;
};

} // namespace fakes
