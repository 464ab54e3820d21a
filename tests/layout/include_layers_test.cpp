// Reads the #include lines of src/ and the folders' CMakeLists.txt, and fails on an include
// that runs upward, on widget code below the windows, on feature folders that include each
// other, on a window source not named *_window and on a bare text number.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kSource = PELMO_SOURCE_DIR;
const fs::path kWidgetHeaders = PELMO_QT_WIDGETS_INCLUDE;

constexpr int kFeatureLayer = 4;
constexpr int kWindowLayer = 5;

// Lowest first. A folder not named here is a feature folder (logic beside its windows).
int folderLayer(const std::string& folder) {
    static const std::map<std::string, int> layers = {{"base", 0},    {"model", 1}, {"link", 2},
                                                      {"files", 2},   {"calc", 2},  {"context", 3},
                                                      {"services", 3}};
    auto it = layers.find(folder);
    return it == layers.end() ? kFeatureLayer : it->second;
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Listing {
    std::set<std::string> windows;      // "folder/file", listed into pelmo_ui
    std::map<std::string, int> listed;  // "folder/file" -> times listed
};

// Every target_sources(...) block of every folder's CMakeLists.txt.
Listing readListings() {
    Listing listing;
    const std::regex block(R"(target_sources\s*\(\s*(\w+)\s+PRIVATE([^)]*)\))");
    const std::regex word(R"([^\s]+)");
    for (const auto& dir : fs::directory_iterator(kSource)) {
        if (!dir.is_directory()) {
            continue;
        }
        const std::string folder = dir.path().filename().string();
        const std::string text = readAll(dir.path() / "CMakeLists.txt");
        for (std::sregex_iterator b(text.begin(), text.end(), block), end; b != end; ++b) {
            const bool windows = (*b)[1] == "pelmo_ui";
            const std::string files = (*b)[2];
            for (std::sregex_iterator w(files.begin(), files.end(), word); w != end; ++w) {
                const std::string name = folder + "/" + w->str();
                ++listing.listed[name];
                if (windows) {
                    listing.windows.insert(name);
                }
            }
        }
    }
    return listing;
}

std::vector<fs::path> sourceFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(kSource)) {
        const auto ext = entry.path().extension();
        if (entry.is_regular_file() && (ext == ".h" || ext == ".cpp" || ext == ".ui")) {
            files.push_back(entry.path());
        }
    }
    return files;
}

std::string sourceName(const fs::path& path) {
    return fs::relative(path, kSource).generic_string();
}

// A header's layer: windows at the top, everything else by its folder. Generated forms
// ("ui_main_window.h") are windows.
int headerLayer(const std::string& header, const Listing& listing) {
    const auto slash = header.find('/');
    if (slash == std::string::npos) {
        return header.starts_with("ui_") ? kWindowLayer : -1;
    }
    if (listing.windows.contains(header)) {
        return kWindowLayer;
    }
    return folderLayer(header.substr(0, slash));
}

}  // namespace

TEST(IncludeLayers, EverySourceIsListedExactlyOnceByItsFolder) {
    const Listing listing = readListings();
    std::string faults;
    for (const auto& file : sourceFiles()) {
        const std::string name = sourceName(file);
        const auto it = listing.listed.find(name);
        const int times = it == listing.listed.end() ? 0 : it->second;
        if (times != 1) {
            faults += name + " is listed " + std::to_string(times) + " times\n";
        }
    }
    for (const auto& [name, times] : listing.listed) {
        if (!fs::exists(kSource / name)) {
            faults += name + " is listed but does not exist\n";
        }
    }
    EXPECT_TRUE(faults.empty()) << faults;
}

TEST(IncludeLayers, NoIncludeRunsUpwardAndNoWidgetsBelowTheWindows) {
    const Listing listing = readListings();
    ASSERT_FALSE(listing.windows.empty());
    ASSERT_TRUE(fs::exists(kWidgetHeaders / "QWidget")) << kWidgetHeaders;
    const std::regex quoted(R"(^\s*#\s*include\s+"([^"]+)\")");
    const std::regex angled(R"(^\s*#\s*include\s+<([^>]+)>)");
    std::string faults;
    for (const auto& file : sourceFiles()) {
        if (file.extension() == ".ui") {
            continue;
        }
        const std::string name = sourceName(file);
        const bool window = listing.windows.contains(name);
        const int layer = window ? kWindowLayer : folderLayer(name.substr(0, name.find('/')));
        std::ifstream in(file);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            std::smatch m;
            const std::string where = name + ":" + std::to_string(number) + ": ";
            if (std::regex_search(line, m, quoted)) {
                const int target = headerLayer(m[1], listing);
                if (target > layer) {
                    faults += where + "includes " + m[1].str() + " from a layer above\n";
                }
            } else if (!window && std::regex_search(line, m, angled)) {
                const std::string header = m[1];
                if (header.starts_with("QtWidgets") ||
                    (header.starts_with("Q") && fs::exists(kWidgetHeaders / header))) {
                    faults += where + "includes the widget header " + header + "\n";
                }
            }
        }
    }
    EXPECT_TRUE(faults.empty()) << faults;
}

namespace {

// "folder/file.h" -> "folder"; empty for a generated form or a library header.
std::string folderOf(const std::string& name) {
    const auto slash = name.find('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash);
}

// The folders each feature folder includes, with one include line that shows it.
std::map<std::string, std::map<std::string, std::string>> featureIncludes() {
    const std::regex quoted(R"(^\s*#\s*include\s+"([^"]+)\")");
    std::map<std::string, std::map<std::string, std::string>> graph;
    for (const auto& file : sourceFiles()) {
        const std::string name = sourceName(file);
        const std::string from = folderOf(name);
        if (file.extension() == ".ui" || folderLayer(from) != kFeatureLayer) {
            continue;
        }
        std::ifstream in(file);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            std::smatch m;
            if (!std::regex_search(line, m, quoted)) {
                continue;
            }
            const std::string to = folderOf(m[1]);
            if (!to.empty() && to != from && folderLayer(to) == kFeatureLayer) {
                graph[from].try_emplace(to, name + ":" + std::to_string(number));
            }
        }
    }
    return graph;
}

}  // namespace

TEST(IncludeLayers, FeatureFoldersFormNoCycle) {
    const auto graph = featureIncludes();
    // Depth-first search; a folder met again while on the path closes a cycle.
    std::map<std::string, int> state;  // 1 on the path, 2 done
    std::vector<std::string> path;
    std::string faults;
    std::function<void(const std::string&)> visit = [&](const std::string& folder) {
        state[folder] = 1;
        path.push_back(folder);
        const auto edges = graph.find(folder);
        if (edges != graph.end()) {
            for (const auto& [to, where] : edges->second) {
                if (state[to] == 1) {
                    std::string cycle;
                    for (auto it = std::find(path.begin(), path.end(), to); it != path.end();
                         ++it) {
                        cycle += *it + " -> ";
                    }
                    faults += cycle + to + " (" + where + ")\n";
                } else if (state[to] == 0) {
                    visit(to);
                }
            }
        }
        path.pop_back();
        state[folder] = 2;
    };
    for (const auto& [folder, edges] : graph) {
        if (state[folder] == 0) {
            visit(folder);
        }
    }
    EXPECT_TRUE(faults.empty()) << faults;
}

// A window's sources are name_window.{h,cpp,ui}, or name_window_part.cpp for a part of a
// large one. Shared widget helpers live in widgets/, and the shell that builds the windows is
// the one other widget source.
TEST(IncludeLayers, EveryWindowSourceIsNamedWindow) {
    const Listing listing = readListings();
    const std::regex window(R"(^[a-z0-9_]+_window(_[a-z0-9]+)?\.(h|cpp|ui)$)");
    std::string faults;
    for (const auto& name : listing.windows) {
        const std::string folder = folderOf(name);
        const std::string file = name.substr(folder.size() + 1);
        if (folder == "widgets" || name == "ui/app_shell.cpp" || name == "ui/app_shell.h") {
            continue;
        }
        if (!std::regex_match(file, window)) {
            faults += name + " is a window source without the _window suffix\n";
        }
    }
    for (const auto& file : sourceFiles()) {
        const std::string name = sourceName(file);
        if (file.extension() == ".ui" && !listing.windows.contains(name)) {
            faults += name + " is a form outside the windows library\n";
        }
    }
    EXPECT_TRUE(faults.empty()) << faults;
}

namespace {

// Every line of a source that matches `pattern`, as "file:line: text".
std::string linesMatching(const std::regex& pattern) {
    std::string found;
    for (const auto& file : sourceFiles()) {
        if (file.extension() == ".ui") {
            continue;
        }
        std::ifstream in(file);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            if (std::regex_search(line, pattern)) {
                found += sourceName(file) + ":" + std::to_string(number) + ": " + line + "\n";
            }
        }
    }
    return found;
}

}  // namespace

// Texts are named in base/text_ids.h; a bare number says nothing to the reader.
TEST(IncludeLayers, TextsAreLookedUpByName) {
    const std::string faults =
        linesMatching(std::regex(R"(\b(txt|tableText|hasText)\(\s*[0-9]+\s*[,)])"));
    EXPECT_TRUE(faults.empty()) << faults;
}

// The program's state belongs to its ProgramContext; a static copy anywhere below would be a
// second, silently shared one.
TEST(IncludeLayers, NoProcessWideProgramState) {
    const std::string faults = linesMatching(std::regex(
        R"(\bstatic\s+(StationImage|ProgramSettings|BusStatistics|ReceiveState|TxBuffer|)"
        R"(LinkContext|ArchiveRecordState|ProgramContext|Prompts)\b)"));
    EXPECT_TRUE(faults.empty()) << faults;
}
