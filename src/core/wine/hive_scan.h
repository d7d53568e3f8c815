#pragma once
// Reading Wine's registry text line by line: the part the parser and the editor share.

#include "core/wine/registry_hive.h"

namespace wine::scan {

// Names compare in this form, without regard to case.
QString fold(const QString& name);
bool isSpace(char c);
// The value of a hex digit, -1 for any other character.
int hexDigit(char c);
// A quoted text from `pos` (just after the opening quote) to `endChar`, escapes decoded; pos
// ends after it. false when the text is not closed.
bool parseString(QByteArrayView s, qsizetype& pos, char endChar, QString& out);

struct Line {
    qsizetype begin = 0;
    qsizetype next = 0;     // where the following line starts
    QByteArrayView content; // without the line end, cut at a NUL byte
};

// What a scan of a registry file reports, line by line.
class ScanSink {
public:
    virtual ~ScanSink() = default;
    // path is nullptr for a section line that cannot be read; its lines until the next
    // section belong to no key.
    virtual void section(const Line& line, qsizetype afterBracket, const QStringList* path) = 0;
    virtual void option(const Line& line, QByteArrayView option) = 0;
    // From the first line's start to the start of the line after the value; value is nullptr
    // when malformed.
    virtual void value(qsizetype begin, qsizetype end, HiveValue* value) = 0;
    virtual void comment(QByteArrayView) {}
    // Whether a section of that name (as read, not yet split) matters; one that does not is
    // reported as unreadable.
    virtual bool wantsSection(QStringView) const { return true; }
    // Whether the next value line is reported; if not, it is only skipped.
    virtual bool wantsValues() const { return true; }
    // Whether the scan may end here.
    virtual bool done() const { return false; }

    // The text ends inside a damaged value that still waits for a continuation line: whatever
    // is appended would become that line.
    bool endsInContinuation = false;
};

// Reports each line of the text to the sink; false when it is not a registry file.
bool scanHive(QByteArrayView text, ScanSink& sink);

// Key paths in file order, and equal without regard to case.
int comparePaths(const QStringList& a, const QStringList& b);
bool samePath(const QStringList& a, const QStringList& b);

} // namespace wine::scan
