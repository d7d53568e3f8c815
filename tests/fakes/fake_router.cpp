#include "fakes/fake_router.h"

#include <thread>

namespace fakes {

namespace {

class ScriptedRouter : public platform::Router {
public:
    explicit ScriptedRouter(std::shared_ptr<FakeRouters::State> state) : state_(std::move(state)) {}

    // Logs the call, takes the scripted time, then answers under the lock.
    template <typename F> auto call(const QString& what, F&& f) {
        int delay = 0;
        {
            std::lock_guard lock(state_->mutex);
            state_->script.calls << what;
            delay = state_->script.delayMs;
        }
        if (delay > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        std::lock_guard lock(state_->mutex);
        return f(state_->script);
    }

    platform::RouterFound discover() override {
        return call(QStringLiteral("discover"), [](RouterScript& s) { return s.found; });
    }
    std::optional<QString> externalAddress() override {
        return call(QStringLiteral("outside"), [](RouterScript& s) { return s.outside; });
    }
    int addUdpMapping(quint16 port, const QString& client, const QString& description,
                      quint32 lease, quint32* granted) override {
        return call(QStringLiteral("add %1 %2 %3").arg(port).arg(client).arg(lease),
                    [&](RouterScript& s) {
                        if (s.addResult != Ok)
                            return s.addResult;
                        if (s.permanentOnly && lease != 0)
                            return 725;
                        const auto held = s.mappings.constFind(port);
                        if (held != s.mappings.constEnd() && held->client != client)
                            return 718;
                        s.mappings[port] = {client, description};
                        *granted = lease;
                        return Ok;
                    });
    }
    std::optional<platform::RouterMapping> udpMapping(quint16 port, int* result) override {
        return call(QStringLiteral("ask %1").arg(port), [&](RouterScript& s) {
            *result = s.questionResult;
            const auto it = s.mappings.constFind(port);
            return s.questionResult == Ok && it != s.mappings.constEnd() ? std::optional(*it)
                                                                         : std::nullopt;
        });
    }
    int removeUdpMapping(quint16 port) override {
        return call(QStringLiteral("remove %1").arg(port), [&](RouterScript& s) {
            return s.mappings.remove(port) ? Ok : 714; // NoSuchEntryInArray
        });
    }

private:
    std::shared_ptr<FakeRouters::State> state_;
};

} // namespace

std::unique_ptr<platform::Router> FakeRouters::open() {
    return std::make_unique<ScriptedRouter>(state_);
}

} // namespace fakes
