#pragma once
// A scripted router, thread-safe: answers set by the test, mappings in memory.

#include "platform/router.h"

#include <QMap>
#include <memory>
#include <mutex>

namespace fakes {

struct RouterScript {
    platform::RouterFound found; // none answers
    std::optional<QString> outside;
    QMap<quint16, platform::RouterMapping> mappings; // UDP port -> mapping
    int addResult = platform::Router::Ok;            // an error here refuses every mapping
    bool permanentOnly = false;                      // refuses a lease with 725, as many routers do
    int questionResult = platform::Router::Ok;       // what asking for a mapping gives
    int delayMs = 0;                                 // each call takes this long first
};

class FakeRouters : public platform::Routers {
public:
    std::unique_ptr<platform::Router> open() override;

    // Reads or changes the script under its lock.
    template <typename F> auto with(F&& f) {
        std::lock_guard lock(state_->mutex);
        return f(state_->script);
    }
    // A UPnP router whose outside address is the internet's, 80.100.100.1.
    void homeRouter() {
        with([](RouterScript& s) {
            s.found = {platform::RouterFound::Protocol::Upnp, true, {}, {}, "192.168.0.1"};
            s.outside = QStringLiteral("80.100.100.1");
        });
    }
    platform::RouterMapping mapping(quint16 port = 7575) {
        return with([&](RouterScript& s) { return s.mappings.value(port); });
    }
    bool mapped(quint16 port = 7575) { return !mapping(port).client.isEmpty(); }

    struct State {
        std::mutex mutex;
        RouterScript script;
    };

private:
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace fakes
