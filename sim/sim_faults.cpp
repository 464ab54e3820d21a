#include "sim/sim_faults.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace pelmo::sim {

namespace {

std::string upper(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

std::optional<int> number(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.remove_suffix(1);
    }
    return s;
}

// "all" (or nothing) selects every request; otherwise one request name.
bool addRequests(std::string_view value, bool emptyMeansAll, RequestSet& set) {
    if (value.empty() ? emptyMeansAll : upper(value) == "ALL") {
        set.set();
        return true;
    }
    const auto id = requestByName(value);
    if (!id) {
        return false;
    }
    set.set(static_cast<std::size_t>(*id));
    return true;
}

bool parseShortBuffer(std::string_view value, FaultSettings& f) {
    std::string_view mode = value;
    std::string_view channel;
    if (const auto colon = value.find(':'); colon != std::string_view::npos) {
        mode = value.substr(0, colon);
        channel = value.substr(colon + 1);
    }
    const std::string m = upper(mode);
    if (m == "ONCE" || m.empty()) {
        f.shortBuffer = ShortBuffer::Once;
    } else if (m == "ALWAYS") {
        f.shortBuffer = ShortBuffer::Always;
    } else {
        return false;
    }
    if (!channel.empty()) {
        const auto n = number(channel, 1, kChannelCount);
        if (!n) {
            return false;
        }
        f.shortChannel = *n;
    }
    return true;
}

bool parseItem(std::string_view item, FaultSettings& f) {
    std::string_view key = item;
    std::string_view value;
    bool hasValue = false;
    if (const auto eq = item.find('='); eq != std::string_view::npos) {
        key = trim(item.substr(0, eq));
        value = trim(item.substr(eq + 1));
        hasValue = true;
    }
    const std::string k = upper(key);
    if (k == "SILENT" && !hasValue) {
        f.silent = true;
    } else if (k == "LOCKED" && !hasValue) {
        f.locked = true;
    } else if (k == "NO-ANSWER" && hasValue) {
        return addRequests(value, false, f.noAnswer);
    } else if (k == "CORRUPT-EVERY" && hasValue) {
        const auto n = number(value, 1, 1000000);
        if (!n) {
            return false;
        }
        f.corruptEvery = *n;
    } else if (k == "DROP-BYTE") {
        return addRequests(value, true, f.dropByte);
    } else if (k == "EXTRA-BYTE") {
        return addRequests(value, true, f.extraByte);
    } else if (k == "DELAY" && hasValue) {
        const auto n = number(value, 0, 600000);
        if (!n) {
            return false;
        }
        f.delayMs = *n;
    } else if (k == "SHORT-BUFFER") {
        return parseShortBuffer(value, f);
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::optional<int> requestByName(std::string_view name) {
    const std::string wanted = upper(trim(name));
    if (wanted.empty()) {
        return std::nullopt;
    }
    if (const auto n = number(wanted, 0, kRequestCount - 1)) {
        if (!requestInfo(*n).name) {
            return std::nullopt;
        }
        return *n == READ_CMOS_CHECK ? READ_CMOS : *n;
    }
    for (int id = 0; id < kRequestCount; ++id) {
        const char* n = requestInfo(id).name;
        if (n && wanted == n) {
            return id == READ_CMOS_CHECK ? READ_CMOS : id;
        }
    }
    return std::nullopt;
}

bool parseFaultSpec(std::string_view spec, FaultSettings& into, std::string* error) {
    while (!spec.empty()) {
        const auto comma = spec.find(',');
        const std::string_view item = trim(spec.substr(0, comma));
        spec = comma == std::string_view::npos ? std::string_view{} : spec.substr(comma + 1);
        if (item.empty()) {
            continue;
        }
        if (!parseItem(item, into)) {
            if (error) {
                *error = "bad fault item '" + std::string(item) + "'";
            }
            return false;
        }
    }
    return true;
}

std::string faultSpecHelp() {
    return "  SPEC is a comma-separated list of:\n"
           "    silent                   the address never answers, not even COMM\n"
           "    locked                   the station reports itself locked\n"
           "    no-answer=REQ            no answer to request REQ (name or number)\n"
           "    corrupt-every=N          every N-th data answer has a wrong XOR byte\n"
           "    drop-byte[=REQ|all]      answers lose one byte (default: all answers)\n"
           "    extra-byte[=REQ|all]     answers carry one byte after the trailer\n"
           "    delay=MS                 every answer leaves MS milliseconds late\n"
           "    short-buffer=once|always[:CH]\n"
           "                             a monitoring buffer comes out one sample short,\n"
           "                             on its first transfer only or every time; CH is\n"
           "                             the channel (default the first holding samples)\n";
}

Reply FaultInjector::shape(int id, std::vector<std::uint8_t> answer) {
    Reply reply{std::move(answer), settings_.delayMs};
    std::vector<std::uint8_t>& a = reply.bytes;
    const std::size_t idx = static_cast<std::size_t>(id);
    const bool datagram = a.size() > 4;
    if (datagram && settings_.corruptEvery > 0 && ++datagrams_ % settings_.corruptEvery == 0) {
        a.back() ^= 0xFF;
    }
    if (idx < kRequestCount && settings_.dropByte.test(idx) && !a.empty()) {
        if (!datagram) {
            a.clear();
        } else {
            // A lost non-zero byte inside the checked part always shows in the trailer.
            std::size_t at = a.size() / 2;
            while (at + 2 < a.size() && a[at] == 0) {
                ++at;
            }
            a.erase(a.begin() + static_cast<std::ptrdiff_t>(at + 2 < a.size() ? at : 1));
        }
    }
    if (idx < kRequestCount && settings_.extraByte.test(idx) && !a.empty()) {
        // Chosen so that the longer answer can never pass for a correct one.
        const std::uint8_t sum = a.size() >= 2 ? a[a.size() - 2] : 0;
        a.push_back(static_cast<std::uint8_t>(~(a.back() ^ sum)));
    }
    return reply;
}

}  // namespace pelmo::sim
