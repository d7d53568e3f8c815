// What routers and the router settings file give: any bytes as a UPnP root description, as a
// device name to show, and as the router settings file. Names stay within their bounds and
// plain; a mapping read back names an IPv4 address and survives being written again.

#include "core/router/RouterFacts.h"
#include "core/router/RouterRecord.h"
#include "core/router/upnp_description.h"

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

    const net::RouterRecord record = net::RouterRecord::parse(bytes.toByteArray());
    if (record.mapping) {
        const QString client = record.mapping->client;
        if (client.contains(u':') || client.contains(u' ') || client.isEmpty())
            fail("a mapping toward no IPv4 address");
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
