// What a person or a script learns from the programs about themselves: help per command,
// one-line mistakes, the version, the shell completion and the man pages, all as processes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <set>

#include "base/version.h"
#include "processes.h"

namespace pelmo {
namespace {

// Every command and its options; a value-taking option ends with '='.
const struct CommandCase {
    const char* word;
    const char* options;
} kCommands[] = {
    {"read", "--port= --address= --out= --lang= --trace"},
    {"program",
     "--port= --address= --in= --no-check --restore-cmos= --no-backup --dir= --lang= --trace"},
    {"lock", "--port= --address= --yes --lang= --trace"},
    {"diff", "--port= --address= --in= --json --lang= --trace"},
    {"archive", "--port= --address= --position= --all --dir= --json --lang= --trace"},
    {"messages", "--port= --address= --out= --dir= --json --lang= --trace"},
    {"monitor", "--port= --address= --out= --lang= --trace"},
    {"export", "--out= --date --no-date --tab --no-tab --csv"},
    {"live", "--port= --address= --seconds= --csv= --lang= --trace"},
    {"steam", "--min= --max= --method= --json"},
    {"scan", "--port= --from= --to= --map= --json --lang= --trace"},
    {"registers", "--port= --json --lang= --trace"},
    {"maximum", "--port= --address= --json --lang= --trace"},
    {"info", "--port= --address= --json --lang= --trace"},
    {"fly", "--port= --address= --circuit= --count= --keep-buffer --json --lang= --trace"},
    {"collect",
     "--port= --from= --to= --addresses= --map= --archives= --messages --monitoring --out= "
     "--json --lang= --trace"},
    {"history", "--station= --kind= --since= --csv --json --lang="},
};
const char* const kCommonOptions = "--stats --turnaround= -q --quiet -v --verbose -h --help";

QStringList words(const char* list) {
    return QString::fromLatin1(list).split(QLatin1Char(' '));
}
QString bare(QString option) {
    return option.remove(QLatin1Char('='));
}
std::set<QString> bareSet(const QStringList& options) {
    std::set<QString> out;
    for (const QString& o : options) {
        out.insert(bare(o));
    }
    return out;
}
// A set as one line, for readable failures.
std::string text(const std::set<QString>& words) {
    return QStringList(words.begin(), words.end()).join(QLatin1Char(' ')).toStdString();
}

test::ProcessResult cli(const QStringList& args) {
    return test::runToEnd(QStringLiteral(PELMO_CLI_PATH), args);
}

TEST(CliHelp, EveryCommandListsItsOptionsOnStandardOutputThreeWays) {
    const test::ProcessResult list = cli({QStringLiteral("--help")});
    EXPECT_EQ(list.code, 0);
    EXPECT_TRUE(list.err.isEmpty());
    EXPECT_TRUE(list.out.endsWith(QLatin1Char('\n')));
    EXPECT_EQ(cli({QStringLiteral("help")}).out, list.out);

    for (const CommandCase& c : kCommands) {
        const QString word = QString::fromLatin1(c.word);
        EXPECT_TRUE(list.out.contains(QStringLiteral("\n  ") + word + QLatin1Char(' '))) << c.word;
        const test::ProcessResult help = cli({QStringLiteral("help"), word});
        ASSERT_EQ(help.code, 0) << c.word << help.err.toStdString();
        EXPECT_TRUE(help.err.isEmpty()) << c.word;
        for (const char* form : {"--help", "-h"}) {
            const test::ProcessResult other = cli({word, QString::fromLatin1(form)});
            EXPECT_EQ(other.code, 0) << c.word << form;
            EXPECT_EQ(other.out, help.out) << c.word << form;
            EXPECT_TRUE(other.err.isEmpty()) << c.word << form;
        }
        // An option line: "  -q, --quiet  ..." or "  --out FILE  ...".
        const QStringList expected = words(c.options) + words(kCommonOptions);
        for (const QString& option : expected) {
            const QRegularExpression line(QStringLiteral("\n  (-\\w, )?%1[ ,]")
                                              .arg(QRegularExpression::escape(bare(option))));
            EXPECT_TRUE(line.match(help.out).hasMatch()) << c.word << " " << option.toStdString();
        }
        // The usage line names no option the table lacks.
        const QString usage = help.out.section(QStringLiteral("\n\n"), 0, 0);
        const std::set<QString> known = bareSet(expected);
        auto it = QRegularExpression(QStringLiteral("--[a-z-]+")).globalMatch(usage);
        while (it.hasNext()) {
            const QString used = it.next().captured();
            EXPECT_TRUE(known.count(used)) << c.word << " usage has " << used.toStdString();
        }
    }
    // Taken only to say why it is refused, so never offered.
    EXPECT_FALSE(cli({QStringLiteral("registers"), QStringLiteral("--help")})
                     .out.contains(QStringLiteral("--address")));
    // A value that looks like the help option is a value.
    EXPECT_EQ(cli({QStringLiteral("read"), QStringLiteral("--out"), QStringLiteral("-h")}).code, 2);
}

// One line naming the mistake, one line saying where the help is; nothing on stdout.
void expectMistake(const QStringList& args, const QString& line, const char* command) {
    const test::ProcessResult r = cli(args);
    const QString see =
        command ? QStringLiteral("see 'pelmo-cli %1 --help'").arg(QLatin1String(command))
                : QStringLiteral("see 'pelmo-cli --help'");
    EXPECT_EQ(r.code, 2) << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(r.err, line + QLatin1Char('\n') + see + QLatin1Char('\n'))
        << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << args.join(QLatin1Char(' ')).toStdString();
}

TEST(CliHelp, AMistakeIsOneLineAndWhereTheHelpIs) {
    for (const CommandCase& c : kCommands) {
        const QString word = QString::fromLatin1(c.word);
        expectMistake({word, QStringLiteral("--bogus")}, QStringLiteral("unknown option: --bogus"),
                      c.word);
        expectMistake({word, QStringLiteral("-x")}, QStringLiteral("unknown option: -x"), c.word);
        for (const QString& option : words(c.options) + words(kCommonOptions)) {
            if (option.endsWith(QLatin1Char('='))) {
                expectMistake({word, bare(option)}, bare(option) + QStringLiteral(" needs a value"),
                              c.word);
            }
        }
    }
    // No command, an unknown one, bad values and an unusable port, each named by its message.
    const struct {
        const char* line;
        const char* message;
        const char* command;
    } cases[] = {
        {"", "a command is needed", nullptr},
        {"frobnicate", "unknown command: frobnicate", nullptr},
        {"help frobnicate", "unknown command: frobnicate", nullptr},
        {"fly --port /dev/null --circuit 3 --count 1",
         "--circuit 1|2 and --count 1..250 are required", "fly"},
        {"read --port /dev/null --out x.sta --lang de", "--lang must be cs or en", "read"},
        {"info --port /dev/none", "cannot open /dev/none: No such file or directory", "info"},
        {"info --port /dev/null --turnaround 1001", "--turnaround MS must be 0..1000 milliseconds",
         "info"},
    };
    for (const auto& c : cases) {
        expectMistake(QString::fromLatin1(c.line).split(QLatin1Char(' '), Qt::SkipEmptyParts),
                      QString::fromLatin1(c.message), c.command);
    }
}

TEST(CliHelp, EveryProgramPrintsTheVersionTheModificationsWindowShows) {
    const QString version = programVersionText();
    ASSERT_FALSE(version.isEmpty());
    // The GUI answers without a display, its help too.
    QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        headless.remove(QString::fromLatin1(name));
    }
    const std::pair<const char*, const char*> programs[] = {
        {"pelmo", PELMO_GUI_PATH}, {"pelmo-cli", PELMO_CLI_PATH}, {"stationsim", STATIONSIM_PATH}};
    for (const auto& [name, path] : programs) {
        for (const char* option : {"--version", "-V"}) {
            const test::ProcessResult r =
                test::runToEnd(QString::fromLatin1(path), {QString::fromLatin1(option)}, headless);
            EXPECT_EQ(r.code, 0) << name << option << r.err.toStdString();
            EXPECT_EQ(r.out,
                      QString::fromLatin1(name) + QLatin1Char(' ') + version + QLatin1Char('\n'))
                << name << option;
            EXPECT_TRUE(r.err.isEmpty()) << name << option;
        }
        const test::ProcessResult help =
            test::runToEnd(QString::fromLatin1(path), {QStringLiteral("--help")}, headless);
        EXPECT_EQ(help.code, 0) << name;
        EXPECT_TRUE(help.out.contains(QStringLiteral("--version"))) << name;
    }
}

class CliCompletion : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("bash")).isEmpty()) {
            GTEST_SKIP() << "no bash";
        }
        const test::ProcessResult r = cli({QStringLiteral("__completion"), QStringLiteral("bash")});
        ASSERT_EQ(r.code, 0);
        QFile f(dir.filePath(QStringLiteral("pelmo-cli")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(r.out.toUtf8());
    }
    // What bash offers for the last of `line`'s words, run in `dir`.
    std::set<QString> offered(const QStringList& line) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(
            QStringLiteral("bash"),
            QStringList{QStringLiteral("-c"),
                        QStringLiteral("source \"$0\"; COMP_WORDS=(\"$@\"); "
                                       "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _pelmo_cli; "
                                       "printf '%s\\n' \"${COMPREPLY[@]}\""),
                        dir.filePath(QStringLiteral("pelmo-cli")), QStringLiteral("pelmo-cli")} +
                line);
        EXPECT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        std::set<QString> out;
        for (const QString& w : QString::fromUtf8(p.readAllStandardOutput())
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            out.insert(w);
        }
        return out;
    }
    QTemporaryDir dir;
};

TEST_F(CliCompletion, OffersCommandsTheirOptionsAndTheValuesTheyTake) {
    for (const CommandCase& c : kCommands) {
        const QStringList expected = words(c.options) + words(kCommonOptions);
        EXPECT_EQ(text(offered({QString::fromLatin1(c.word), QStringLiteral("-")})),
                  text(bareSet(expected)))
            << c.word;
    }
    for (const char* name : {"a.sta", "b.txt", "rec.mon", "sub/x"}) {
        QDir().mkpath(QFileInfo(dir.filePath(QString::fromLatin1(name))).absolutePath());
        QFile(dir.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly);
    }
    const struct {
        const char* line;
        std::set<QString> expected;
    } cases[] = {
        {"re", {"read", "registers"}},
        {"help hi", {"history"}},
        {"read --lang ", {"cs", "en"}},
        {"fly --port X --circuit ", {"1", "2"}},
        {"collect --archives a", {"all", "actual"}},
        {"history --kind m", {"messages", "monitoring"}},
        {"program --in ", {"a.sta", "sub"}},
        {"diff --in a.sta --in ", {"a.sta", "sub"}},
        {"archive --dir ", {"sub"}},
        {"read --out ", {"a.sta", "b.txt", "rec.mon", "pelmo-cli", "sub"}},
        {"export ", {"rec.mon", "sub"}},
        {"steam d", {"density"}},
        {"read --address ", {}},
        {"read --turnaround ", {}},
    };
    for (const auto& c : cases) {
        QStringList line = QString::fromLatin1(c.line).split(QLatin1Char(' '));
        EXPECT_EQ(text(offered(line)), text(c.expected)) << c.line;
    }
    std::set<QString> devices;
    for (const QString& d :
         QDir(QStringLiteral("/dev"))
             .entryList({QStringLiteral("tty*")},
                        QDir::System | QDir::AllEntries | QDir::NoDotAndDotDot)) {
        devices.insert(QStringLiteral("/dev/") + d);
    }
    EXPECT_EQ(text(offered({QStringLiteral("scan"), QStringLiteral("--port"), QString()})),
              text(devices));
}

QString manPage(const char* name) {
    QFile f(QStringLiteral(PELMO_SOURCE_DIR "/packaging/man/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

TEST(CliManPages, NameEveryCommandsOptionsAndTheVersion) {
    const QString page = manPage("pelmo-cli.1");
    for (const CommandCase& c : kCommands) {
        const qsizetype start =
            page.indexOf(QStringLiteral("\n.SS ") + QLatin1String(c.word) + QLatin1Char('\n'));
        ASSERT_GE(start, 0) << c.word;
        const qsizetype end =
            page.indexOf(QRegularExpression(QStringLiteral("\n\\.S[SH] ")), start + 1);
        const QString section = page.mid(start, end - start);
        for (const QString& option : words(c.options)) {
            EXPECT_TRUE(
                section.contains(bare(option).replace(QLatin1Char('-'), QStringLiteral("\\-"))))
                << c.word << " " << option.toStdString();
        }
    }
    for (const QString& option : words(kCommonOptions)) {
        EXPECT_TRUE(page.contains(bare(option).replace(QLatin1Char('-'), QStringLiteral("\\-"))))
            << option.toStdString();
    }
    for (const char* name : {"pelmo.1", "stationsim.1"}) {
        EXPECT_TRUE(manPage(name).contains(QStringLiteral("\\-\\-version"))) << name;
    }
    EXPECT_TRUE(manPage("stationsim.1").contains(QStringLiteral("\\-\\-clock")));
    EXPECT_TRUE(manPage("pelmo.1").contains(QStringLiteral("history.sqlite")));
}

}  // namespace
}  // namespace pelmo
