#include "sim/stationsim_options.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "link/time_code.h"

namespace pelmo::sim {

namespace {

// "YYYY-MM-DDThh:mm:ss" (or a blank instead of the T) as a station time code.
std::optional<std::uint32_t> parseClock(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
    char sep = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%c", &y, &mo, &d, &sep, &h, &mi, &se,
                    &tail) != 7 ||
        (sep != 'T' && sep != ' ') || y < 1980 || y > 2079 || mo < 1 || mo > 12 || d < 1 ||
        d > 31 || h > 23 || mi > 59 || se > 59 || h < 0 || mi < 0 || se < 0) {
        return std::nullopt;
    }
    return timeCodeFromCalendar(y % 100, mo, d, h, mi, se);
}

bool parseAddress(const std::string& text, int& address) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), address);
    return ec == std::errc{} && end == text.data() + text.size() && address >= 1 &&
           address <= kDefaultBusAddress;
}

}  // namespace

bool parseSimulatorOptions(std::span<const std::string> args, SimulatorOptions& out,
                           std::string& error) {
    out = SimulatorOptions{};
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool inlineValue = false;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
            inlineValue = true;
        }
        const bool takesValue = arg == "--address" || arg == "--fault" || arg == "--link" ||
                                arg == "--clock" || arg == "--serial";
        if (takesValue && !inlineValue) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            value = args[++i];
        } else if (!takesValue && inlineValue) {
            error = arg + " takes no value";
            return false;
        }
        // Faults belong to the station named last, or to every station before any is named.
        FaultSettings& target =
            out.stations.empty() ? out.everyStation : out.stations.back().faults;
        if (arg == "--address") {
            int address = 0;
            if (!parseAddress(value, address)) {
                error = "bad address '" + value + "' (1..251)";
                return false;
            }
            const bool taken =
                std::any_of(out.stations.begin(), out.stations.end(),
                            [&](const StationOptions& s) { return s.address == address; });
            if (taken) {
                error = "address " + value + " given twice";
                return false;
            }
            out.stations.push_back({address, 0, {}});
        } else if (arg == "--serial") {
            int serial = 0;
            const auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), serial);
            if (out.stations.empty() || ec != std::errc{} || end != value.data() + value.size() ||
                serial < 1 || serial > 65535) {
                error = "--serial N (1..65535) follows the --address of its station";
                return false;
            }
            out.stations.back().serial = serial;
        } else if (arg == "--fault") {
            if (!parseFaultSpec(value, target, &error)) {
                return false;
            }
        } else if (arg == "--locked") {
            target.locked = true;
        } else if (arg == "--link") {
            out.link = value;
        } else if (arg == "--clock") {
            const auto start = parseClock(value);
            if (!start) {
                error = "bad clock '" + value + "' (YYYY-MM-DDThh:mm:ss, 1980..2079)";
                return false;
            }
            out.clockStart = start;
        } else if (arg == "--fast") {
            out.fast = true;
        } else if (arg == "--log") {
            out.log = true;
        } else if (arg == "--timing") {
            out.timing = true;
        } else if (arg == "--help" || arg == "-h") {
            out.help = true;
        } else if (arg == "--version" || arg == "-V") {
            out.version = true;
        } else {
            error = "unknown option '" + args[i] + "'";
            return false;
        }
    }
    if (out.stations.empty()) {
        out.stations.push_back({kDefaultBusAddress, 0, {}});
    }
    return true;
}

std::string simulatorUsage() {
    return "usage: stationsim [options]\n"
           "Simulates measuring stations on a pseudo-terminal. The first line written to\n"
           "standard output is the device to open (9600 Bd, 8N1). Stops on SIGINT/SIGTERM.\n"
           "\n"
           "  --address N     a station at bus address N (1..251); repeatable, default 251\n"
           "  --serial N      serial number of the station of the preceding --address\n"
           "  --locked        the station (see below) reports itself locked\n"
           "  --fault SPEC    faults of the station (see below)\n"
           "  --log           each request and answer in hexadecimal on standard error\n"
           "  --timing        on exit, the bytes each way, the answers and the time from the\n"
           "                  first request byte to the end of the last answer (stderr)\n"
           "  --link PATH     also make PATH a symbolic link to the device\n"
           "  --fast          answer at once instead of at the pace of 9600 Bd\n"
           "  --clock T       the station clock starts at T (YYYY-MM-DDThh:mm:ss) and runs on\n"
           "  -h, --help      this text\n"
           "  -V, --version   the program's version\n"
           "\n"
           "--locked and --fault apply to the station of the preceding --address, or to\n"
           "every station when no --address precedes them.\n" +
           faultSpecHelp();
}

}  // namespace pelmo::sim
