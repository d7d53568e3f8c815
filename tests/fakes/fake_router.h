#pragma once
// A scripted router, thread-safe: answers set by the test, mappings in memory.

#include "platform/router.h"

#include <QMap>
#include <memory>
#include <mutex>
#include <thread>

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

// The script under its lock, shared by the fake and the routers it opens.
struct RouterState {
    template <typename F> auto with(F&& f) {
        std::lock_guard lock(mutex);
        return f(script);
    }
    std::mutex mutex;
    RouterScript script;
};

// Takes the scripted time on each call, then answers under the lock.
class ScriptedRouter : public platform::Router {
public:
    explicit ScriptedRouter(std::shared_ptr<RouterState> state) : state_(std::move(state)) {}

    template <typename F> auto call(F&& f) {
        const int delay = state_->with([](RouterScript& s) { return s.delayMs; });
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        return state_->with(f);
    }
    platform::RouterFound discover() override {
        return call([](RouterScript& s) { return s.found; });
    }
    std::optional<QString> externalAddress() override {
        return call([](RouterScript& s) { return s.outside; });
    }
    int addUdpMapping(quint16 port, const QString& client, const QString& description,
                      quint32 lease, quint32* granted) override {
        return call([&](RouterScript& s) {
            if (s.addResult != Ok)
                return s.addResult;
            if (s.permanentOnly && lease != 0)
                return 725;
            if (s.mappings.contains(port) && s.mappings.value(port).client != client)
                return 718;
            s.mappings[port] = {client, description};
            *granted = lease;
            return Ok;
        });
    }
    std::optional<platform::RouterMapping> udpMapping(quint16 port, int* result) override {
        return call([&](RouterScript& s) {
            *result = s.questionResult;
            const auto it = s.mappings.constFind(port);
            return s.questionResult == Ok && it != s.mappings.constEnd() ? std::optional(*it)
                                                                         : std::nullopt;
        });
    }
    int removeUdpMapping(quint16 port) override {
        // 714: NoSuchEntryInArray
        return call([&](RouterScript& s) { return s.mappings.remove(port) ? Ok : 714; });
    }

private:
    std::shared_ptr<RouterState> state_;
};

class FakeRouters : public platform::Routers {
public:
    std::unique_ptr<platform::Router> open() override {
        return std::make_unique<ScriptedRouter>(state_);
    }

    template <typename F> auto with(F&& f) { return state_->with(f); }
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

private:
    std::shared_ptr<RouterState> state_ = std::make_shared<RouterState>();
};

} // namespace fakes
