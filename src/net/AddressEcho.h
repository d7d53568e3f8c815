#pragma once
// The external address: the address-echo page downloaded into a temporary file and read back.

#include <QString>

namespace addressecho {

// The page configured at build time (https://api.ipify.org unless the build names another).
QString pageUrl();

enum class Outcome {
    Ok,
    FileNotFound, // no answer: the download left no file, or what it left is not an address
    PathNotFound, // the temporary file's folder does not exist, or the path names no drive
    Failed,       // the file was there but could not be read or deleted
};

struct Answer {
    Outcome outcome = Outcome::Failed;
    bool read = false; // the file held an address, and `text` is that address
    QString text;
};

// The address in a page body: the body without the white space around it, when that is one
// IPv4 address the internet can reach (the rule the router's own answer meets); else empty.
// Only this may reach the game's command line, where a body such as "1.2.3.4 /j 6.6.6.6" would
// add switches of its own; the game speaks IPv4, and friends cannot join at a private, loopback
// or broadcast address.
QString addressIn(const QString& body);

// Downloads `url` into the file `windowsTempFile` (the download's own result is not looked at:
// what counts is whether a file is there), reads the file whole and deletes it.
Answer fetch(const QString& url, const QString& windowsTempFile);

} // namespace addressecho
