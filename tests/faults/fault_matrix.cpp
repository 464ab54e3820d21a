#include "fault_matrix.h"

#include <regex>
#include <set>
#include <sstream>

#include "base/texts.h"

namespace pelmo::test {

std::string faultName(Fault fault) {
    static const char* const names[] = {"silent",       "corrupt trailer", "dropped byte",
                                        "extra byte",   "late answer",     "delay",
                                        "short buffer", "no answer"};
    return names[static_cast<int>(fault)];
}

// What each sequence ends in: the prompts shown (E error, W warning, I information, Q
// question, each with its text number), the view's endings, and the last status text.
const std::vector<SequenceFaults>& faultMatrix() {
    static const std::string na;
    static const std::vector<SequenceFaults> m = {
        {"read",
         "READ_METER",
         {"E136; failed; status 136", "E136; failed; status 136", "E136; failed; status 136",
          "E136; failed; status 136", "completed; status 141", "E136; failed; status 136", na,
          "E136; failed; status 136"}},
        {"program",
         "READ_CHANNEL",
         {"E136; failed; status 136", "E136; failed; status 136", "E136; failed; status 136",
          "E136; failed; status 136", "finished; status 130", "E136; failed; status 136", na,
          "E136; failed; status 136"}},
        {"lock",
         "READ_STATION",
         {"E136; failed; status -", "E136; failed; status -", "E136; failed; status -",
          "E136; failed; status -",
          "Q210+\"Kotelna Jih'? It will not be posibble to re-program it again!\"; locked; status "
          "212",
          "E136; failed; status -", na, "E136; failed; status 120"}},
        {"channel upload",
         "READ_STATUS",
         {"E136; ended; status 136", "E136; ended; status 136", "E136; ended; status 136",
          "E136; ended; status 136", "ended; status 225", "E136; ended; status 136", na,
          "E136; ended; status 136"}},
        {"archive description",
         "READ_METER",
         {"E136; window closed; status 136", "E136; window closed; status 136",
          "E136; window closed; status 136", "E136; window closed; status 136",
          "read 24; ended ok; status 222", "E136; window closed; status 136", na,
          "E136; window closed; status 136"}},
        {"archive record",
         "READ_STATUS",
         {"E136; ended failed; status 136", "E136; ended failed; status 136",
          "E136; ended failed; status 136", "E136; ended failed; status 136",
          "read 3; ended ok; status 222", "E136; ended failed; status 136", na,
          "E136; ended failed; status 136"}},
        {"intermediate reset",
         "CLEAR_PARTIAL",
         {"Q232; E136; ended failed; status 136", "Q232; E136; ended failed; status 136",
          "Q232; E136; ended failed; status 136", "Q232; E136; ended failed; status 136",
          "Q232; read 25; ended ok; status 222", "Q232; E136; ended failed; status 136", na,
          "Q232; E136; ended failed; status 136"}},
        {"messages",
         "READ_MESSAGES",
         {"E136; ended failed; status 136", "E136; ended failed; status 136",
          "E136; ended failed; status 136", "E136; ended failed; status 136",
          "ended ok; status 141", "E136; ended failed; status 136", na,
          "E136; ended failed; status 136"}},
        {"monitoring",
         "SEND_BLOCK",
         {"E136; no data; status 136", "E136; no data; status 136", "E136; no data; status 136",
          "E136; no data; status 136", "data ready; status 141", "E136; no data; status 136",
          "E136; no data; status 136", "E136; no data; status 136"}},
        {"live",
         "READ_LIVE",
         {"connection lost; no record; status 188/255",
          "connection lost; no record; status 188/255",
          "connection lost; no record; status 188/255",
          "connection lost; no record; status 188/255", "records kept; status 188/255+\"OK\"",
          "connection lost; records kept; status 188/255", na,
          "connection lost; no record; status 188/255"}},
        {"search",
         "READ_STATION",
         {"ended; status 382", "ended; status 382", "ended; status 382", "ended; status 382",
          "found 250; found 251; ended; status 382", "ended; status 382", na, "ended; status 382"}},
        {"registers",
         "READ_REGISTERS",
         {"E136; failed; status 136", "E136; failed; status 136", "E136; failed; status 136",
          "E136; failed; status 136", "values; read; status 27/217+\"251\"",
          "E136; failed; status 136", na, "E136; failed; status 136"}},
        {"alarm limits read",
         "READ_CHANNEL",
         {"E136; failed; status 136", "E136; failed; status 136", "E136; failed; status 136",
          "E136; failed; status 136", "read; status 141", "E136; failed; status 136", na,
          "E136; failed; status 136"}},
        {"alarm limits save",
         "WRITE_CHANNEL",
         {"E136; failed; status 136", "E136; failed; status 136", "E136; failed; status 136",
          "E136; failed; status 136", "saved; status 225+\" OK\"", "E136; failed; status 136", na,
          "E136; failed; status 136"}},
        {"meter limits read",
         "READ_CMOS",
         {"E136; failed, closing; status 136", "E136; failed, closing; status 136",
          "E136; failed, closing; status 136", "E136; failed, closing; status 136",
          "read; status 141", "E136; failed, closing; status 136", na,
          "E136; failed, closing; status 136"}},
        {"meter limits write",
         "WRITE_METER",
         {"E136; failed; status 136", "E136; failed; status 136", "E136; failed; status 136",
          "E136; failed; status 136", "written; status 225", "E136; failed; status 136", na,
          "E136; failed; status 136"}},
        {"hardware",
         "READ_METER",
         {"E136; failed; status 136", "E136; failed; status 136", "E136; failed; status 136",
          "E136; failed; status 136", "read; status 141", "E136; failed; status 136", na,
          "E136; failed; status 136"}},
        {"maximum",
         "READ_STATUS",
         {"E136; failed; status 136", "E136; failed; status 136", "E136; failed; status 136",
          "E136; failed; status 136", "values; read; status 141", "E136; failed; status 136", na,
          "E136; failed; status 136"}},
        {"fly setup",
         "READ_STATION",
         {"E136; failed, closing; status 136", "E136; failed, closing; status 136",
          "E136; failed, closing; status 136", "E136; failed, closing; status 136",
          "idle; setup done; status 141", "E136; failed, closing; status 136", na,
          "E136; failed, closing; status 136"}},
        {"fly start",
         "FLY_SET",
         {"E136; failed; status 136", "E136; failed; status 136", "E136; failed; status 136",
          "E136; failed; status 136", "measuring; idle; results; status 141",
          "E136; failed; status 136", na, "E136; failed; status 136"}},
        {"fly retrieve",
         "FLY_READ",
         {"E136; failed; status 136", "E136; failed; status 136", "E136; failed; status 136",
          "E136; failed; status 136", "idle; results; status 141", "E136; failed; status 136", na,
          "E136; failed; status 136"}},
        {"set date",
         "SET_TIME",
         {"status -", "status -", "status -", "status -", "label OK; status -", "status -", na,
          "label failed; status -"}},
    };
    return m;
}

std::string faultMatrixMarkdown() {
    std::string out = "| Sequence (no answer to) |";
    std::string rule = "|---|";
    for (Fault f : kFaults) {
        out += " " + faultName(f) + " |";
        rule += "---|";
    }
    out += "\n" + rule + "\n";
    std::set<int> texts;
    const std::regex number("(?:\\b[EWIQ]|status )([0-9/]+)");
    for (const SequenceFaults& s : faultMatrix()) {
        out += "| " + s.name + " (`" + s.noAnswer + "`) |";
        for (Fault f : kFaults) {
            const std::string& cell = s.expected(f);
            out += " " + (cell.empty() ? std::string("n/a") : cell) + " |";
            for (auto it = std::sregex_iterator(cell.begin(), cell.end(), number);
                 it != std::sregex_iterator(); ++it) {
                std::stringstream numbers((*it)[1].str());
                for (std::string n; std::getline(numbers, n, '/');) {
                    texts.insert(std::stoi(n));
                }
            }
        }
        out += "\n";
    }
    out += "\nTexts:";
    for (int n : texts) {
        out +=
            " " + std::to_string(n) + " \"" + tableText(n, Language::English).toStdString() + "\";";
    }
    if (!texts.empty()) {
        out.pop_back();
    }
    return out + "\n";
}

}  // namespace pelmo::test
