#pragma once
// The fixed version record of a PE file (an .exe, .dll or .ocx), read from its resource
// section. Works on the file's bytes alone; every size and offset in them is checked.

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace win32 {

// The VS_FIXEDFILEINFO record (52 bytes) of the image's first version resource; nullopt when
// the bytes are not a PE image, have no version resource, or any part lies outside them.
std::optional<QByteArray> fixedFileInfoFromPe(QByteArrayView image);

} // namespace win32
