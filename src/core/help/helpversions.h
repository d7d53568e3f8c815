#pragma once
// Version texts of the HTML Help control and the browser control, their release names, the
// minimums HTMLHelp::HHVerifyMinConfig checks against, and the popup font text.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace helpversions {

// The four parts of a file version, each a signed 16-bit number as the version text takes it.
struct FileVersion {
    std::int16_t major = 0, minor = 0, build = 0, revision = 0;
};

// The file version of a VS_FIXEDFILEINFO record (52 bytes, little-endian, signature 0xFEEF04BD);
// nullopt for anything shorter or without the signature.
std::optional<FileVersion> fromFixedFileInfo(const QByteArray& record);

// "4.74.8702.00" for 4.74.8702.0; "4.70.1155" for 4.70.0.1155 (a build of 0 or less drops the
// build part and writes the revision with four digits).
QString versionText(const FileVersion& version);

// Release names by whole version text, case ignored; "unknown" for anything else.
QString hhReleaseName(const QString& versionText);
QString ieReleaseName(const QString& versionText);

// Minimum version texts by code: 16..26 for HTML Help, 256..273 for the browser.
std::optional<QString> hhMinimum(int code);
std::optional<QString> ieMinimum(int code);

// Whether `installed` is at least `minimum`, comparing the dot-separated parts as numbers
// (missing parts count as 0). An empty text or a part that is not a number never reaches.
bool versionReaches(const QString& installed, const QString& minimum);

// "face, size, ascii, " + "Bold " + "Italic " + "Underline" as flagged; an empty face is
// "Arial" and an empty size "10".
QString popupFontText(const QString& face, const QString& size, bool bold, bool italic,
                      bool underline);

} // namespace helpversions
