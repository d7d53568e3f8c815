// The PE version reader: any bytes as an .exe/.dll/.ocx file. A record it returns is the whole
// 52-byte VS_FIXEDFILEINFO, signature first, and lies inside the file.

#include "core/win32/pe_version.h"

#include <QtEndian>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView image(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto record = win32::fixedFileInfoFromPe(image);
    if (!record)
        return 0;
    if (record->size() != 52 || qFromLittleEndian<quint32>(record->constData()) != 0xFEEF04BDu ||
        !image.contains(QByteArrayView(*record))) {
        std::fprintf(stderr, "fuzz_pe_version: a record that is not a fixed version record\n");
        std::abort();
    }
    return 0;
}
