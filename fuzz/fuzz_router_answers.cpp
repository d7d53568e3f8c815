// What routers and the router settings file give: any bytes as a UPnP root description, as a
// device name to show, as an HTTP answer, an SSDP answer and a device URL, and as the router
// settings file. Names and bodies stay within their bounds and plain; a mapping read back names
// an IPv4 address and the game's port, and survives being written again.

#include "net/RouterFacts.h"
#include "net/RouterRecord.h"
#include "platform/common/http_reply.h"
#include "platform/common/upnp_description.h"

#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char* what) {
    std::fprintf(stderr, "fuzz_router_answers: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString name = platform::common::deviceText(bytes, "friendlyName", 256);
    if (name.size() > 256)
        fail("a name beyond its bound");
    const QString shown = net::routerText(QString::fromUtf8(bytes));
    if (shown.size() > 64)
        fail("a shown text beyond its bound");
    for (const QChar c : shown)
        if (c.category() == QChar::Other_Control || c == u'\n')
            fail("a control character shown");

    using platform::common::HttpProgress;
    for (const bool ended : {false, true}) {
        platform::common::HttpReply reply;
        const HttpProgress progress = platform::common::readHttpReply(bytes, ended, reply);
        if (reply.body.size() > platform::common::HttpBodyLimit)
            fail("an HTTP body beyond its bound");
        if (progress == HttpProgress::Whole && reply.body.size() > bytes.size())
            fail("an HTTP body longer than what came");
        if (ended && progress == HttpProgress::More)
            fail("an ended answer still waiting for more");
    }
    if (platform::common::ssdpLocation(bytes).contains('\n'))
        fail("a location of more than one line");
    if (const auto target = platform::common::httpTarget(bytes)) {
        for (const char c : target->path)
            if (c <= ' ')
                fail("a blank or control character in a request line");
        if (target->port == 0 || target->host.isEmpty())
            fail("a target without a host or port");
    }

    const net::RouterRecord record = net::RouterRecord::parse(bytes.toByteArray());
    if (record.mapping) {
        const QString client = record.mapping->client;
        if (client.contains(u':') || client.contains(u' ') || client.isEmpty())
            fail("a mapping toward no IPv4 address");
        if (record.mapping->port != net::GamePort)
            fail("a mapping of another port than the game's");
        // The description may come back normalised (broken UTF-8, blanks at the end); all else
        // exactly.
        net::RouterRecord back = net::RouterRecord::parse(record.text());
        if (!back.mapping)
            fail("a mapping lost in writing");
        back.mapping->description = record.mapping->description;
        if (!(back == record))
            fail("a record that does not read back as written");
    }
    return 0;
}
