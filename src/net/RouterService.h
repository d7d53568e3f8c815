#pragma once
// The router for the windows: every router call runs on a thread of its own, one after another,
// and its outcome comes back to the window's thread as a queued call, so that the windows never
// stop painting. Keeps the small router settings file up to date with what Velkor mapped.

#include "net/RouterFacts.h"
#include "net/RouterRecord.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>

namespace net {

class RouterService : public QObject {
    Q_OBJECT
public:
    explicit RouterService(QObject* parent = nullptr);
    // Waits a moment for a call in progress, then leaves it to end on its own.
    ~RouterService() override;

    // Reads the router settings file in the settings folder and starts looking for the router.
    // A mapping an earlier run left is removed once the router answers, unless the game still
    // runs: then it is kept and renewed. Only a mapping toward one of `ownAddresses` (this
    // machine's local addresses) is ever removed.
    void start(const QString& settingsFolder, bool gameRunning, const QStringList& ownAddresses);
    // Looks for the router again.
    void discover();
    bool discovering() const { return discovering_; }
    // A search has ended at least once.
    bool answered() const { return answered_; }
    // Asks for the game's port toward this machine's local address; portAnswered() follows. The
    // request is recorded before it is sent, so that whatever becomes of this run the next start
    // removes what the router made of it; asked while the router is looked for, it is sent once
    // the router is known.
    void openPort(const QString& client);
    bool portPending() const { return portAsks_ > 0; }
    // At the end: removes Velkor's mapping, or what a request not answered yet may make, unless
    // the game still runs, waiting for the router at most `boundMs`; what could not be removed
    // in that time stays recorded for the next start.
    void finish(bool gameRunning, int boundMs = 3000);

    const RouterView& view() const { return view_; }
    // What the address-echo page saw (a whole address), or empty.
    void setEcho(const QString& address);
    bool openPortWhenHosting() const { return record_.openPortWhenHosting; }
    // Kept in the router settings file at once; false when it could not be written.
    bool setOpenPortWhenHosting(bool on);

signals:
    void changed();
    void discovered();
    void portAnswered();
    // The router settings file could not be written: the player is told (notSavedMessage()).
    void recordNotSaved();

private:
    struct Worker;
    using Mapping = RouterRecord::Mapping;
    void saveRecord();
    void removeLeftover();
    void sendOpen();
    void opened(const PortState& state, const std::optional<Mapping>& mapping,
                const std::optional<Mapping>& before, const std::optional<Mapping>& asked);

    std::shared_ptr<Worker> worker_;
    QString recordFile_;
    RouterRecord record_;
    RouterView view_;
    bool discovering_ = false, answered_ = false;
    int portAsks_ = 0;           // port requests not answered yet
    bool openWhenFound_ = false; // one asked for while the router was looked for
    bool keepLeftover_ = false;
    QString client_; // what the port was last opened toward, for renewals
    QString owner_;  // ownerTag() of the settings folder
    QStringList ownAddresses_;
    QTimer renewal_;
};

} // namespace net
