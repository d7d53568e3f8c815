#include "net/RouterService.h"

#include "net/PortMapper.h"
#include "platform/platform.h"

#include <QDateTime>
#include <QMetaObject>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace net {

namespace {

qint64 now() {
    return QDateTime::currentSecsSinceEpoch();
}

} // namespace

// The thread and what it owns. Shared with the thread itself, so that a call still waiting for
// the router when the window has gone harms nothing: it ends, finds no one to tell, and stops.
struct RouterService::Worker {
    using Job = std::function<std::function<void()>(PortMapper&)>;

    std::mutex mutex;
    std::condition_variable wake, settled;
    std::deque<Job> jobs;
    bool stopping = false, busy = false, ended = false;
    QObject* owner = nullptr; // cleared when the service goes
    std::unique_ptr<platform::Router> router;
    std::unique_ptr<PortMapper> mapper;
    std::thread thread;

    static void run(std::shared_ptr<Worker> self) {
        std::unique_lock lock(self->mutex);
        for (;;) {
            self->wake.wait(lock, [&] { return self->stopping || !self->jobs.empty(); });
            if (self->jobs.empty())
                break;
            Job job = std::move(self->jobs.front());
            self->jobs.pop_front();
            self->busy = true;
            lock.unlock();
            std::function<void()> done = job(*self->mapper);
            lock.lock();
            self->busy = false;
            if (self->owner && done)
                QMetaObject::invokeMethod(self->owner, std::move(done), Qt::QueuedConnection);
            self->settled.notify_all();
        }
        self->ended = true;
        self->settled.notify_all();
    }

    void post(Job job) {
        std::lock_guard lock(mutex);
        jobs.push_back(std::move(job));
        wake.notify_one();
    }

    // Waits until no job is queued or running, at most `ms`; false when time ran out.
    bool waitIdle(int ms) {
        std::unique_lock lock(mutex);
        return settled.wait_for(lock, std::chrono::milliseconds(ms),
                                [&] { return jobs.empty() && !busy; });
    }
};

RouterService::RouterService(QObject* parent)
    : QObject(parent), worker_(std::make_shared<Worker>()) {
    worker_->owner = this;
    worker_->router = platform::current().routers->open();
    worker_->mapper = std::make_unique<PortMapper>(*worker_->router);
    worker_->thread = std::thread(&Worker::run, worker_);
    renewal_.setSingleShot(true);
    connect(&renewal_, &QTimer::timeout, this, [this] {
        if (!client_.isEmpty())
            openPort(client_);
    });
}

RouterService::~RouterService() {
    std::unique_lock lock(worker_->mutex);
    worker_->owner = nullptr;
    worker_->stopping = true;
    worker_->jobs.clear();
    worker_->wake.notify_one();
    const bool ended = worker_->settled.wait_for(lock, std::chrono::milliseconds(500),
                                                 [&] { return worker_->ended; });
    lock.unlock();
    if (ended)
        worker_->thread.join();
    else
        worker_->thread.detach();
}

void RouterService::start(const QString& settingsFolder, bool gameRunning,
                          const QStringList& ownAddresses) {
    recordFile_ = RouterRecord::fileIn(settingsFolder);
    record_ = RouterRecord::read(recordFile_);
    const QString native = platform::current().files->toNative(settingsFolder);
    owner_ = ownerTag(native.isEmpty() ? settingsFolder : native);
    // A record that names another's mapping (damaged, or copied from another user's folder) is
    // no leftover of this Velkor's.
    if (record_.mapping && !madeBy(*record_.mapping, owner_))
        record_.mapping.reset();
    ownAddresses_ = ownAddresses;
    keepLeftover_ = gameRunning;
    discover();
}

void RouterService::discover() {
    if (discovering_)
        return;
    discovering_ = true;
    QPointer<RouterService> self(this);
    worker_->post([self](PortMapper& mapper) -> std::function<void()> {
        const PortMapper::Found found = mapper.discover();
        return [self, found] {
            if (!self)
                return;
            self->discovering_ = false;
            self->answered_ = true;
            self->view_.found = found.router;
            self->view_.outside = found.outside;
            if (found.router.protocol == platform::RouterFound::Protocol::None) {
                self->view_.port = PortState{};
                self->view_.port.kind = PortState::Kind::NoRouter;
            } else if (self->view_.port.kind == PortState::Kind::NoRouter) {
                self->view_.port = PortState{};
            }
            if (self->openWhenFound_)
                self->sendOpen();
            else
                self->removeLeftover();
            emit self->changed();
            emit self->discovered();
        };
    });
}

void RouterService::removeLeftover() {
    if (!record_.mapping || !client_.isEmpty() ||
        view_.found.protocol == platform::RouterFound::Protocol::None)
        return;
    if (keepLeftover_) {
        // The game an earlier run started still plays: its port stays open and is renewed.
        openPort(record_.mapping->client);
        return;
    }
    const Mapping left = *record_.mapping;
    QPointer<RouterService> self(this);
    worker_->post([self, left, own = ownAddresses_](PortMapper& mapper) -> std::function<void()> {
        const bool removed = mapper.remove(left, own);
        return [self, removed, left] {
            if (self && removed && self->record_.mapping == left) {
                self->record_.mapping.reset();
                self->saveRecord();
            }
        };
    });
}

void RouterService::openPort(const QString& client) {
    client_ = client;
    if (!ownAddresses_.contains(client))
        ownAddresses_ << client;
    renewal_.stop();
    if (openWhenFound_)
        return; // already waiting for the router
    ++portAsks_;
    openWhenFound_ = discovering_;
    if (!openWhenFound_)
        sendOpen();
}

void RouterService::sendOpen() {
    openWhenFound_ = false;
    const QString client = client_, description = mappingDescription(client, owner_);
    const std::optional<Mapping> before = record_.mapping;
    std::optional<Mapping> asked;
    if (view_.found.protocol != platform::RouterFound::Protocol::None) {
        asked = Mapping{view_.found.protocol, GamePort, client, LeaseSeconds, now(), description};
        record_.mapping = asked;
        saveRecord();
    }
    QPointer<RouterService> self(this);
    worker_->post(
        [self, client, description, before, asked](PortMapper& mapper) -> std::function<void()> {
            const PortMapper::Opened result = mapper.open(client, description, now(), before);
            return [self, result, before, asked] {
                if (self)
                    self->opened(result.state, result.mapping, before, asked);
            };
        });
}

void RouterService::opened(const PortState& state, const std::optional<Mapping>& mapping,
                           const std::optional<Mapping>& before,
                           const std::optional<Mapping>& asked) {
    --portAsks_;
    view_.port = state;
    if (mapping) {
        record_.mapping = mapping;
        saveRecord();
        if (mapping->lease > 0)
            renewal_.start(std::chrono::seconds(mapping->lease / 2));
    } else if (asked && record_.mapping == asked && state.kind != PortState::Kind::NoAnswer) {
        // Not made: the record goes back to what it was, or, where another holds the port, to
        // nothing. Unanswered, the router may still make it: it stays recorded.
        if (state.kind == PortState::Kind::HeldElsewhere)
            record_.mapping.reset();
        else
            record_.mapping = before;
        saveRecord();
    }
    emit changed();
    emit portAnswered();
}

void RouterService::finish(bool gameRunning, int boundMs) {
    renewal_.stop();
    if (gameRunning || !record_.mapping)
        return; // left to its lease (a permanent one is removed by the next start)
    const Mapping mapping = *record_.mapping;
    auto removed = std::make_shared<std::atomic<bool>>(false);
    worker_->post(
        [removed, mapping, own = ownAddresses_](PortMapper& mapper) -> std::function<void()> {
            *removed = mapper.remove(mapping, own);
            return {};
        });
    if (worker_->waitIdle(boundMs) && *removed) {
        record_.mapping.reset();
        saveRecord();
    }
}

void RouterService::setEcho(const QString& address) {
    view_.echo = address;
    emit changed();
}

bool RouterService::setOpenPortWhenHosting(bool on) {
    record_.openPortWhenHosting = on;
    return recordFile_.isEmpty() || record_.write(recordFile_);
}

void RouterService::saveRecord() {
    if (!recordFile_.isEmpty() && !record_.write(recordFile_))
        emit recordNotSaved();
}

} // namespace net
