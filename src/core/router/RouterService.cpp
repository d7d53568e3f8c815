#include "core/router/RouterService.h"

#include "core/router/PortMapper.h"
#include "platform/platform.h"

#include <QDateTime>
#include <QPointer>
#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <functional>

namespace net {

namespace {

qint64 now() {
    return QDateTime::currentSecsSinceEpoch();
}

} // namespace

// Lives on the router's thread and owns the session there: the calls run in the order posted,
// and what each one's answer means for the service comes back as a queued signal.
class RouterWorker : public QObject {
    Q_OBJECT
public:
    // A call, returning what the service does with its answer on its own thread (or nothing).
    using Job = std::function<std::function<void()>(PortMapper&)>;

    explicit RouterWorker(std::unique_ptr<platform::Router> router)
        : router_(std::move(router)), mapper_(*router_) {}

    void run(const Job& job) {
        if (std::function<void()> done = job(mapper_))
            emit answered(done);
    }

signals:
    void answered(std::function<void()> done);

private:
    std::unique_ptr<platform::Router> router_;
    PortMapper mapper_;
};

RouterService::RouterService(QObject* parent)
    : QObject(parent), thread_(new QThread),
      worker_(new RouterWorker(platform::current().routers->open())),
      cancelled_(std::make_shared<std::atomic<bool>>(false)) {
    worker_->moveToThread(thread_);
    // A call still waiting for its router when the service goes ends on its own and takes the
    // worker and the thread with it: it finds no one to tell.
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
    connect(worker_, &RouterWorker::answered, this,
            [](const std::function<void()>& done) { done(); });
    thread_->start();
    renewal_.setSingleShot(true);
    connect(&renewal_, &QTimer::timeout, this, [this] {
        if (!client_.isEmpty())
            openPort(client_);
    });
}

RouterService::~RouterService() {
    // Calls not started yet are dropped; a running one has a moment to end.
    cancelled_->store(true);
    thread_->quit();
    if (thread_->wait(500))
        delete thread_;
}

void RouterService::post(const std::function<std::function<void()>(PortMapper&)>& job) {
    RouterWorker* worker = worker_;
    QMetaObject::invokeMethod(
        worker_,
        [worker, job, cancelled = cancelled_] {
            if (!*cancelled)
                worker->run(job);
        },
        Qt::QueuedConnection);
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
    post([self](PortMapper& mapper) -> std::function<void()> {
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
    post([self, left, own = ownAddresses_](PortMapper& mapper) -> std::function<void()> {
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
    post([self, client, description, before, asked](PortMapper& mapper) -> std::function<void()> {
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
    auto ended = std::make_shared<QSemaphore>();
    post([removed, ended, mapping,
          own = ownAddresses_](PortMapper& mapper) -> std::function<void()> {
        *removed = mapper.remove(mapping, own);
        ended->release();
        return {};
    });
    // The calls before it run first: waiting for this one waits for them all.
    if (ended->tryAcquire(1, boundMs) && *removed) {
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

#include "RouterService.moc"
