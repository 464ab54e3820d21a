#include "bus/address_map.h"

#include "base/file_access.h"

namespace pelmo {

namespace {

constexpr int kAddressWidth = 3;
constexpr int kNameWidth = 9;  // two spaces and seven characters of the name
// Far more than 32 lines of any sensible map; the rest of a larger file is not read.
constexpr qint64 kMaxMapBytes = 64 * 1024;

char mapChar(char c) {
    if (static_cast<unsigned char>(c) == 0xB0) {
        return static_cast<char>(0xF8);
    }
    return c == ',' ? '.' : c;
}

QByteArray field(const QByteArray& text, int width) {
    QByteArray out = text.left(width);
    for (char& c : out) {
        c = mapChar(c);
    }
    return out.leftJustified(width, ' ');
}

QByteArray trimmedRight(QByteArray text) {
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\0')) {
        text.chop(1);
    }
    return text;
}

}  // namespace

QByteArray encodeAddressMap(const AddressEntries& list) {
    QByteArray out;
    for (int i = 0; i < kMapEntries; ++i) {
        const TAddressList& e = list[static_cast<std::size_t>(i)];
        if (e.address == 0) {
            continue;
        }
        out += field(QByteArray::number(e.address), kAddressWidth);
        out += field(QByteArray("  ") + QByteArray::fromStdString(e.name), kNameWidth);
        out += "\r\n";
    }
    return out;
}

bool decodeAddressMap(const QByteArray& bytes, AddressEntries& list) {
    AddressEntries read = list;
    qsizetype pos = 0;
    int entry = 0;
    while (pos < bytes.size()) {
        if (entry >= kMapEntries) {
            return false;
        }
        const qsizetype blank = bytes.indexOf(' ', pos);
        const qsizetype cr = bytes.indexOf('\r', pos);
        if (blank < 0 || cr < 0 || cr < blank) {
            return false;
        }
        bool ok = false;
        const int address = trimmedRight(bytes.mid(pos, blank - pos)).toInt(&ok);
        if (!ok || address < 1 || address > kDefaultBusAddress) {
            return false;
        }
        qsizetype nameStart = blank;
        while (nameStart < cr && bytes[nameStart] == ' ') {
            ++nameStart;
        }
        std::string name = trimmedRight(bytes.mid(nameStart, cr - nameStart)).toStdString();
        for (char& c : name) {
            if (static_cast<unsigned char>(c) == 0xF8) {
                c = static_cast<char>(0xB0);
            }
        }
        read[static_cast<std::size_t>(entry)] = TAddressList{address, name};
        ++entry;
        pos = cr + 1;
        if (pos < bytes.size() && bytes[pos] == '\n') {
            ++pos;
        }
    }
    for (int i = entry; i < kMapEntries; ++i) {
        read[static_cast<std::size_t>(i)] = TAddressList{};
    }
    list = read;
    return true;
}

MapFileResult saveAddressMap(const QString& path, const AddressEntries& list, Prompts& prompts) {
    switch (writeFileAtomically(path, encodeAddressMap(list), prompts)) {
        case WriteResult::Ok:
            return MapFileResult::Ok;
        case WriteResult::OpenFailed:
            return MapFileResult::FileError;
        default:
            return MapFileResult::WriteFailed;
    }
}

MapFileResult loadAddressMap(const QString& path, AddressEntries& list, Prompts& prompts) {
    const auto bytes = readFileReporting(path, kMaxMapBytes + 1, prompts);
    if (!bytes) {
        return MapFileResult::FileError;
    }
    if (bytes->size() > kMaxMapBytes || !decodeAddressMap(*bytes, list)) {
        return MapFileResult::Malformed;
    }
    return MapFileResult::Ok;
}

}  // namespace pelmo
