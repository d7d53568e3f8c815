#include "fakes/fake_router.h"

#include <thread>

namespace fakes {

namespace {

class ScriptedRouter : public platform::Router {
public:
    explicit ScriptedRouter(std::shared_ptr<FakeRouters::State> state) : state_(std::move(state)) {}

    // Takes the scripted time, then answers under the lock.
    template <typename F> auto call(F&& f) {
        std::unique_lock lock(state_->mutex);
        const int delay = state_->script.delayMs;
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        lock.lock();
        return f(state_->script);
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
            const auto held = s.mappings.constFind(port);
            if (held != s.mappings.constEnd() && held->client != client)
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
        return call([&](RouterScript& s) {
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
