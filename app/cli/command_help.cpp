#include "cli/command_help.h"

#include <QStringList>
#include <algorithm>
#include <cstring>

namespace pelmo::cli {
namespace {

constexpr OptionSpec kCommonOptions[] = {
    {"stats", 0, nullptr, "then the bus health per address on standard error"},
    {"turnaround", 0, "MS",
     "the silence after the station's last byte before writing, 0..1000 ms (default 3.646)"},
    {"quiet", 'q', nullptr, "no status texts and no progress"},
    {"verbose", 'v', nullptr, "the traffic summary besides the status texts"},
    {"help", 'h', nullptr, "this help"},
};

// One line per option, so that a script can grep for it: the option with its value, then
// what it does.
void printOptions(std::FILE* out, std::span<const OptionSpec> options, qsizetype width) {
    for (const OptionSpec& o : options) {
        if (o.help) {
            std::fprintf(out, "  %s  %s\n", qPrintable(optionSynopsis(o).leftJustified(width)),
                         o.help);
        }
    }
}

qsizetype synopsisWidth(std::span<const OptionSpec> options, qsizetype width = 0) {
    for (const OptionSpec& o : options) {
        width = std::max(width, optionSynopsis(o).size());
    }
    return width;
}

QString shellWords(const QStringList& words) {
    return words.join(QLatin1Char(' '));
}

// The bash statements that complete the value of `option` into COMPREPLY.
QString valueCompletion(const OptionSpec& option) {
    switch (valueKind(option)) {
        case OptionValueKind::Device:
            return QStringLiteral("_pelmo_cli_devices");
        case OptionValueKind::Folder:
            return QStringLiteral("_pelmo_cli_files -d");
        case OptionValueKind::File: {
            const QString extension = valueExtension(option);
            return extension.isEmpty()
                       ? QStringLiteral("_pelmo_cli_files -f")
                       : QStringLiteral("_pelmo_cli_files -f '*.%1'").arg(extension);
        }
        case OptionValueKind::Choice:
            return QStringLiteral("_pelmo_cli_words '%1'").arg(shellWords(valueChoices(option)));
        case OptionValueKind::Other:
        case OptionValueKind::None:
            break;
    }
    // A number or a free text: nothing sensible to offer.
    return QStringLiteral(":");
}

QStringList optionWords(std::span<const OptionSpec> options) {
    QStringList words;
    for (const OptionSpec& o : options) {
        if (o.help) {
            words << QStringLiteral("--") + QLatin1String(o.name);
            if (o.shortName) {
                words << QStringLiteral("-") + QLatin1Char(o.shortName);
            }
        }
    }
    return words;
}

// "--out|--dir) ... ;;" cases for every valued option.
void valueCases(QString& script, std::span<const OptionSpec> options, const QString& indent) {
    for (const OptionSpec& o : options) {
        if (o.value && o.help) {
            script += indent + QStringLiteral("--%1) %2; return ;;\n")
                                   .arg(QLatin1String(o.name), valueCompletion(o));
        }
    }
}

}  // namespace

std::span<const OptionSpec> commonOptions() {
    return kCommonOptions;
}

void printCommandList(std::FILE* out, std::span<const Command* const> commands) {
    std::fputs(
        "usage: pelmo-cli COMMAND [OPTIONS]\n"
        "       pelmo-cli help COMMAND | pelmo-cli COMMAND --help\n"
        "       pelmo-cli --version\n"
        "\n"
        "Commands:\n",
        out);
    int width = 0;
    for (const Command* c : commands) {
        width = std::max(width, static_cast<int>(std::strlen(c->word)));
    }
    for (const Command* c : commands) {
        std::fprintf(out, "  %-*s  %s\n", width, c->word, c->summary);
    }
    std::fputs("\nOptions of every command:\n", out);
    printOptions(out, kCommonOptions, synopsisWidth(kCommonOptions));
    std::fputs("\nSee 'pelmo-cli help COMMAND' for the options of a command.\n", out);
}

void printCommandHelp(std::FILE* out, const Command& command) {
    QString summary = QString::fromUtf8(command.summary);
    summary[0] = summary[0].toUpper();
    std::fprintf(out, "usage: pelmo-cli %s\n\n%s.\n\nOptions:\n", command.usage,
                 qPrintable(summary));
    const qsizetype width = synopsisWidth(kCommonOptions, synopsisWidth(command.options));
    printOptions(out, command.options, width);
    std::fputs("\nOptions of every command:\n", out);
    printOptions(out, kCommonOptions, width);
}

QString bashCompletion(std::span<const Command* const> commands) {
    QStringList words;
    for (const Command* c : commands) {
        words << QLatin1String(c->word);
    }
    QString script =
        QStringLiteral(
            "# bash completion for pelmo-cli, written by pelmo-cli from its own option tables.\n"
            "\n"
            "# The words of $1 that start with the word being completed.\n"
            "_pelmo_cli_words() {\n"
            "    local IFS=$'\\n'\n"
            "    COMPREPLY=($(IFS=' '; compgen -W \"$1\" -- \"$cur\"))\n"
            "}\n"
            "\n"
            "# Serial devices.\n"
            "_pelmo_cli_devices() {\n"
            "    local IFS=$'\\n'\n"
            "    COMPREPLY=($(compgen -G \"${cur:-/dev/tty}*\"))\n"
            "}\n"
            "\n"
            "# Folders, and with -f files (those matching $2 when given).\n"
            "_pelmo_cli_files() {\n"
            "    local IFS=$'\\n'\n"
            "    compopt -o filenames 2>/dev/null\n"
            "    COMPREPLY=($(compgen -d -- \"$cur\"))\n"
            "    if [ \"$1\" = -f ]; then\n"
            "        if [ -n \"$2\" ]; then\n"
            "            COMPREPLY+=($(compgen -f -X \"!$2\" -- \"$cur\"))\n"
            "        else\n"
            "            COMPREPLY+=($(compgen -f -- \"$cur\"))\n"
            "        fi\n"
            "    fi\n"
            "}\n"
            "\n"
            "_pelmo_cli() {\n"
            "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
            "    local command=${COMP_WORDS[1]}\n"
            "    COMPREPLY=()\n"
            "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
            "        _pelmo_cli_words '%1 help --help -h --version -V'\n"
            "        return\n"
            "    fi\n"
            "    if [ \"$command\" = help ]; then\n"
            "        [ \"$COMP_CWORD\" -eq 2 ] && _pelmo_cli_words '%1'\n"
            "        return\n"
            "    fi\n"
            "    case \"$prev\" in\n")
            .arg(shellWords(words));
    valueCases(script, kCommonOptions, QStringLiteral("        "));
    script += QStringLiteral(
        "    esac\n"
        "    local options\n"
        "    case \"$command\" in\n");
    const QString common = shellWords(optionWords(kCommonOptions));
    for (const Command* c : commands) {
        script += QStringLiteral("        %1)\n").arg(QLatin1String(c->word));
        script += QStringLiteral("            case \"$prev\" in\n");
        valueCases(script, c->options, QStringLiteral("                "));
        script += QStringLiteral("            esac\n");
        if (c->operand) {
            // The first word after the command that is not an option's value.
            const OptionSpec operand{"", 0, c->operand, ""};
            script += QStringLiteral(
                          "            if [ \"$COMP_CWORD\" -eq 2 ] && [[ $cur != -* ]]; then\n"
                          "                %1\n"
                          "                return\n"
                          "            fi\n")
                          .arg(valueCompletion(operand));
        }
        script += QStringLiteral("            options='%1 %2' ;;\n")
                      .arg(shellWords(optionWords(c->options)), common);
    }
    script += QStringLiteral(
        "        *) return ;;\n"
        "    esac\n"
        "    _pelmo_cli_words \"$options\"\n"
        "}\n"
        "complete -F _pelmo_cli pelmo-cli\n");
    return script;
}

}  // namespace pelmo::cli
