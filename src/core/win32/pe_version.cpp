#include "core/win32/pe_version.h"

#include <QtEndian>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace win32 {

namespace {

constexpr std::uint32_t ResourceTypeVersion = 16;
constexpr std::uint32_t HighBit = 0x80000000u;
constexpr qsizetype FixedInfoSize = 52;
constexpr std::uint32_t FixedInfoSignature = 0xFEEF04BDu;

// Little-endian reads that fail instead of reading past the end.
class Bytes {
public:
    explicit Bytes(QByteArrayView data) : data_(data) {}

    qsizetype size() const { return data_.size(); }
    bool has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= static_cast<std::uint64_t>(data_.size()) &&
               length <= static_cast<std::uint64_t>(data_.size()) - offset;
    }
    std::optional<std::uint16_t> u16(std::uint64_t offset) const {
        if (!has(offset, 2))
            return std::nullopt;
        return qFromLittleEndian<quint16>(data_.data() + offset);
    }
    std::optional<std::uint32_t> u32(std::uint64_t offset) const {
        if (!has(offset, 4))
            return std::nullopt;
        return qFromLittleEndian<quint32>(data_.data() + offset);
    }
    QByteArrayView slice(std::uint64_t offset, std::uint64_t length) const {
        return data_.sliced(static_cast<qsizetype>(offset), static_cast<qsizetype>(length));
    }

private:
    QByteArrayView data_;
};

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

class PeImage {
public:
    explicit PeImage(QByteArrayView image) : bytes_(image) {}

    bool parseHeaders() {
        if (!bytes_.has(0, 0x40) || bytes_.slice(0, 2) != QByteArrayView("MZ"))
            return false;
        const auto peOffset = bytes_.u32(0x3C);
        if (!peOffset || !bytes_.has(*peOffset, 24) ||
            bytes_.slice(*peOffset, 4) != QByteArrayView("PE\0\0", 4))
            return false;
        const std::uint64_t coff = *peOffset + 4ull;
        const auto sectionCount = bytes_.u16(coff + 2);
        const auto optionalSize = bytes_.u16(coff + 16);
        const std::uint64_t optional = coff + 20;
        const auto magic = bytes_.u16(optional);
        if (!sectionCount || !optionalSize || !magic)
            return false;
        std::uint64_t countField = 0, directories = 0;
        if (*magic == 0x10B) {
            countField = 92;
            directories = 96;
        } else if (*magic == 0x20B) {
            countField = 108;
            directories = 112;
        } else {
            return false;
        }
        const auto directoryCount = bytes_.u32(optional + countField);
        const std::uint64_t resourceEntry = directories + 2 * 8;
        if (!directoryCount || *directoryCount < 3 || resourceEntry + 8 > *optionalSize)
            return false;
        const auto resourceRva = bytes_.u32(optional + resourceEntry);
        const auto resourceSize = bytes_.u32(optional + resourceEntry + 4);
        if (!resourceRva || !resourceSize || *resourceRva == 0 || *resourceSize == 0)
            return false;

        const std::uint64_t table = optional + *optionalSize;
        if (!bytes_.has(table, *sectionCount * 40ull))
            return false;
        for (std::uint16_t i = 0; i < *sectionCount; ++i) {
            const std::uint64_t entry = table + i * 40ull;
            sections_.push_back(
                {*bytes_.u32(entry + 12), *bytes_.u32(entry + 16), *bytes_.u32(entry + 20)});
        }
        resourceRva_ = *resourceRva;
        resourceSize_ = *resourceSize;
        return true;
    }

    // The file offset of `length` bytes at `rva`, when they lie inside one section's raw data
    // and inside the file.
    std::optional<std::uint64_t> fileOffset(std::uint32_t rva, std::uint64_t length) const {
        for (const Section& section : sections_) {
            if (rva < section.virtualAddress)
                continue;
            const std::uint64_t into = rva - section.virtualAddress;
            if (into >= section.rawSize || length > section.rawSize - into)
                continue;
            const std::uint64_t offset = section.rawOffset + into;
            if (!bytes_.has(offset, length))
                return std::nullopt;
            return offset;
        }
        return std::nullopt;
    }

    std::optional<QByteArray> fixedFileInfo() const {
        // The resource tree: type, then name, then language. Offsets inside it are relative to
        // its start; each level may only point further into it, so a tree cannot loop.
        const auto nameDir = directoryEntry(0, true, ResourceTypeVersion);
        if (!nameDir)
            return std::nullopt;
        const auto languageDir = directoryEntry(*nameDir, true, std::nullopt);
        if (!languageDir)
            return std::nullopt;
        const auto leaf = directoryEntry(*languageDir, false, std::nullopt);
        if (!leaf)
            return std::nullopt;
        const auto entry = inTree(*leaf, 16);
        if (!entry)
            return std::nullopt;
        const std::uint32_t dataRva = *bytes_.u32(*entry);
        const std::uint32_t dataSize = *bytes_.u32(*entry + 4);
        const auto data = fileOffset(dataRva, dataSize);
        if (!data)
            return std::nullopt;
        return fromVersionInfo(bytes_.slice(*data, dataSize));
    }

private:
    // The file offset of `length` bytes at `offset` in the resource tree.
    std::optional<std::uint64_t> inTree(std::uint64_t offset, std::uint64_t length) const {
        if (offset > resourceSize_ || length > resourceSize_ - offset)
            return std::nullopt;
        const std::uint64_t rva = resourceRva_ + offset;
        if (rva > 0xFFFFFFFFull)
            return std::nullopt;
        return fileOffset(static_cast<std::uint32_t>(rva), length);
    }

    // In the directory at `dirOffset` of the tree, the entry with ID `id`, or the first entry
    // when no ID is asked for. Gives the target's offset when the target is a subdirectory
    // (`wantDirectory`) or a data leaf (otherwise).
    std::optional<std::uint32_t> directoryEntry(std::uint32_t dirOffset, bool wantDirectory,
                                                std::optional<std::uint32_t> id) const {
        const auto header = inTree(dirOffset, 16);
        if (!header)
            return std::nullopt;
        const std::uint32_t count =
            std::uint32_t(*bytes_.u16(*header + 12)) + *bytes_.u16(*header + 14);
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto entry = inTree(dirOffset + 16ull + i * 8ull, 8);
            if (!entry)
                return std::nullopt;
            const std::uint32_t name = *bytes_.u32(*entry);
            const std::uint32_t target = *bytes_.u32(*entry + 4);
            if (id && ((name & HighBit) || name != *id))
                continue;
            if (bool(target & HighBit) != wantDirectory)
                return std::nullopt;
            const std::uint32_t offset = target & ~HighBit;
            if (offset <= dirOffset)
                return std::nullopt;
            return offset;
        }
        return std::nullopt;
    }

    // VS_VERSIONINFO: wLength, wValueLength, wType, L"VS_VERSION_INFO", padding to 4 bytes,
    // then the fixed record.
    static std::optional<QByteArray> fromVersionInfo(QByteArrayView block) {
        const Bytes info(block);
        static const char16_t key[] = u"VS_VERSION_INFO";
        constexpr std::uint64_t keyOffset = 6, keyBytes = sizeof(key); // with its NUL
        constexpr std::uint64_t valueOffset = (keyOffset + keyBytes + 3) & ~3ull;
        const auto length = info.u16(0);
        const auto valueLength = info.u16(2);
        if (!length || !valueLength || *valueLength < FixedInfoSize ||
            *length < valueOffset + FixedInfoSize || !info.has(valueOffset, FixedInfoSize))
            return std::nullopt;
        for (std::uint64_t i = 0; i < keyBytes / 2; ++i) {
            if (*info.u16(keyOffset + 2 * i) != key[i])
                return std::nullopt;
        }
        if (*info.u32(valueOffset) != FixedInfoSignature)
            return std::nullopt;
        return info.slice(valueOffset, FixedInfoSize).toByteArray();
    }

    Bytes bytes_;
    std::vector<Section> sections_;
    std::uint32_t resourceRva_ = 0;
    std::uint32_t resourceSize_ = 0;
};

} // namespace

std::optional<QByteArray> fixedFileInfoFromPe(QByteArrayView image) {
    PeImage pe(image);
    if (!pe.parseHeaders())
        return std::nullopt;
    return pe.fixedFileInfo();
}

} // namespace win32
