#pragma once

#include <QByteArray>
#include <QString>
#include <array>

#include "model/station_image.h"

namespace pelmo {

class Prompts;

// Station entries 0..31 of the address list; entry 32 (the user's address) is not mapped.
inline constexpr int kMapEntries = 32;
using AddressEntries = std::array<TAddressList, kAddressListSize>;

// One line per non-empty entry 0..31, in list order: the address left-aligned in three
// characters, two spaces and the name in seven, CR LF; degree sign as F8h, comma as period.
QByteArray encodeAddressMap(const AddressEntries& list);

// Reads a map into entries 0..31 (the rest of them cleared). A file with more than 32
// lines, a line without the blank after its address or without its closing CR, or an
// address that is not 1..251 is refused and the list is left as it was.
[[nodiscard]] bool decodeAddressMap(const QByteArray& bytes, AddressEntries& list);

enum class MapFileResult { Ok, FileError, WriteFailed, Malformed };

// A file that cannot be opened or created shows the file error box; the caller reports the
// other failures (text 147 for a failed write, 146 for a malformed map).
MapFileResult saveAddressMap(const QString& path, const AddressEntries& list, Prompts& prompts);
MapFileResult loadAddressMap(const QString& path, AddressEntries& list, Prompts& prompts);

}  // namespace pelmo
