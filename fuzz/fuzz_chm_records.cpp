// The tables we read out of a compiled help file: /#SYSTEM, /#IVB and /#STRINGS. The input is
// two little-endian 16-bit lengths, then that many bytes of /#SYSTEM and of /#IVB, and the rest
// is /#STRINGS; the context numbers looked up are those the /#IVB bytes hold, and one more.

#include "core/helpfile/chm_file.h"

#include <QtEndian>
#include <cstdio>
#include <cstdlib>

using namespace helpfile;

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_chm_records: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    const qsizetype all = static_cast<qsizetype>(size) - 4;
    const qsizetype systemSize = std::min<qsizetype>(qFromLittleEndian<quint16>(bytes), all);
    const qsizetype ivbSize =
        std::min<qsizetype>(qFromLittleEndian<quint16>(bytes + 2), all - systemSize);
    const QByteArrayView system(bytes + 4, systemSize);
    const QByteArrayView ivb(bytes + 4 + systemSize, ivbSize);
    const QByteArrayView strings(bytes + 4 + systemSize + ivbSize, all - systemSize - ivbSize);

    const ChmSystem parsed = parseChmSystem(system);
    for (const QString* text : {&parsed.contentsFile, &parsed.indexFile, &parsed.defaultTopic,
                                &parsed.title, &parsed.defaultWindow})
        require(!text->contains(QChar(0)), "a #SYSTEM text runs past its NUL");

    for (qsizetype at = 4; at + 4 <= ivb.size(); at += 8) {
        const quint32 number = qFromLittleEndian<quint32>(ivb.data() + at);
        if (const auto offset = ivbStringOffset(ivb, number)) {
            if (const auto name = stringAt(strings, *offset)) {
                require(*offset < static_cast<quint64>(strings.size()), "a string outside");
                require(!name->contains(QChar(0)), "a #STRINGS text runs past its NUL");
            }
        }
    }
    ivbStringOffset(ivb, 0xFFFFFFFFu);
    stringAt(strings, static_cast<quint32>(strings.size()));
    return 0;
}
