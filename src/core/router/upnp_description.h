#pragma once
// The few texts Velkor shows from a UPnP device's root description: its friendly and model
// names. A bounded reader of the XML the router sends, not a parser of all XML.

#include <QByteArrayView>
#include <QString>

namespace net {

// The text of the first <tag> element of the description's root device (the first <device>),
// with XML's character references decoded; at most `limit` characters are kept. Empty when
// there is none. Tags inside the element's text are kept as text, never interpreted.
QString deviceText(QByteArrayView description, QByteArrayView tag, qsizetype limit = 256);

} // namespace net
