// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of cardwise-cli: subcommands, options, NAME=VALUE edits.
#include "CliArguments.h"

#include "CardProtocol.h"
#include "CoreText.h"
#include "OptionTable.h"

#include <QCommandLineParser>

#include <algorithm>
#include <vector>

using namespace CardwiseCore;

namespace {

const QCommandLineOption OPT_TRACE(QStringLiteral("trace"), QString(), QStringLiteral("LEVEL"));
const QCommandLineOption OPT_HELP(QStringList{QStringLiteral("help"), QStringLiteral("h")});
const QCommandLineOption OPT_SUBNET(QStringLiteral("subnet"), QString(),
                                    QStringLiteral("ADDRESS/MASK"));
const QCommandLineOption OPT_RANGE(QStringLiteral("range"), QString(), QStringLiteral("START-END"));
const QCommandLineOption OPT_RATE(QStringLiteral("rate"), QString(), QStringLiteral("N"));
const QCommandLineOption OPT_WAIT(QStringLiteral("wait"), QString(), QStringLiteral("MS"));
const QCommandLineOption OPT_ROUNDS(QStringLiteral("rounds"), QString(), QStringLiteral("N"));
const QCommandLineOption OPT_JSON(QStringLiteral("json"));
const QCommandLineOption OPT_CSV(QStringLiteral("csv"));
const QCommandLineOption OPT_PASSWORD(QStringLiteral("password"), QString(), QStringLiteral("PW"));
const QCommandLineOption OPT_PASSWORD_FILE(QStringLiteral("password-file"), QString(),
                                           QStringLiteral("FILE"));
const QCommandLineOption OPT_DRY_RUN(QStringLiteral("dry-run"));
const QCommandLineOption OPT_NO_RESTART(QStringLiteral("no-restart"));
const QCommandLineOption OPT_WAIT_RESTART(QStringLiteral("wait-restart"));
const QCommandLineOption OPT_HEX(QStringLiteral("hex"));
const QCommandLineOption OPT_COMPARE(QStringLiteral("compare"), QString(), QStringLiteral("FILE"));

// More sweeps than this find nothing that a longer --wait would not.
constexpr int ROUNDS_MAX = 100;

bool ParseNumber(const QString& strText, int nMin, int nMax, int& nValue)
{
    bool bOk = false;
    nValue = strText.toInt(&bOk, 10);
    return bOk && nValue >= nMin && nValue <= nMax;
}

bool ParseMacArgument(const QString& strText, SCliOptions& options, QString& strError)
{
    unsigned char arrMac[CardProtocol::MAC_SIZE];
    if (!ParseTypedMac(strText, arrMac)) {
        strError = QStringLiteral("bad MAC address '%1': expected six hexadecimal octets such "
                                  "as 00-1A-2B-3C-4D-5E")
                       .arg(strText);
        return false;
    }
    char szText[CardProtocol::MAC_TEXT_SIZE];
    options.strMac = QString::fromLatin1(CardProtocol::FormatMac(arrMac, szText));
    return true;
}

bool ParseEdit(const QString& strArg, SCliOptions& options, QString& strError)
{
    const qsizetype nEquals = strArg.indexOf(QLatin1Char('='));
    if (nEquals <= 0) {
        strError = QStringLiteral("expected NAME=VALUE, not '%1'").arg(strArg);
        return false;
    }
    SParamEdit edit{0, strArg.left(nEquals).trimmed(), strArg.mid(nEquals + 1)};
    const std::optional<unsigned int> nSetId = COptionTable::FindParamByName(edit.strName);
    if (!nSetId) {
        strError = QStringLiteral("unknown parameter name '%1'; the parameters are: %2")
                       .arg(edit.strName, COptionTable::ParamNames().join(QStringLiteral(", ")));
        return false;
    }
    if (*nSetId == 0) {
        strError = QStringLiteral("parameter '%1' is read-only").arg(edit.strName);
        return false;
    }
    edit.nSetId = *nSetId;
    // The parameter dialog's checks (COptionTable::OnOK) follow once the card's values are known.
    if (!COptionTable::CheckValueText(edit.nSetId, edit.strName, edit.strValue, strError))
        return false;
    options.arrEdits.push_back(edit);
    return true;
}

// search --compare FILE: prints the differences as text or JSON.
bool ParseCompareOption(const QCommandLineParser& parser, SCliOptions& options, QString& strError)
{
    if (!parser.isSet(OPT_COMPARE))
        return true;
    options.strCompareFile = parser.value(OPT_COMPARE);
    if (options.strCompareFile.isEmpty()) {
        strError = QStringLiteral("--compare needs the file of a saved list");
        return false;
    }
    if (options.nFormat == FORMAT_CSV) {
        strError = QStringLiteral("--compare prints text or --json, not --csv");
        return false;
    }
    return true;
}

// --password and --password-file; with neither, the password comes from the environment or
// a prompt when it is needed.
bool ParsePasswordOptions(const QCommandLineParser& parser, SCliOptions& options, QString& strError)
{
    if (parser.isSet(OPT_PASSWORD) && parser.isSet(OPT_PASSWORD_FILE)) {
        strError = QStringLiteral("--password and --password-file exclude each other");
        return false;
    }
    options.bPasswordGiven = parser.isSet(OPT_PASSWORD);
    options.strPassword = parser.value(OPT_PASSWORD);
    options.strPasswordFile = parser.value(OPT_PASSWORD_FILE);
    return true;
}

} // namespace

bool ParseCliArguments(const QStringList& arrArgs, SCliOptions& options, QString& strError)
{
    options = SCliOptions();
    if (arrArgs.isEmpty()) {
        strError = QStringLiteral("no command given");
        return false;
    }
    const QString& strCommand = arrArgs.first();
    if (strCommand == QLatin1String("help") || strCommand == QLatin1String("--help") ||
        strCommand == QLatin1String("-h")) {
        options.nCommand = CLI_HELP;
        return true;
    }

    // Every option is known to the parser, so that one given to the wrong command gets a
    // message that says so rather than "unknown option".
    const std::vector<const QCommandLineOption*> arrAll = {
        &OPT_SUBNET, &OPT_RANGE,         &OPT_RATE,     &OPT_WAIT,       &OPT_ROUNDS,
        &OPT_JSON,   &OPT_CSV,           &OPT_PASSWORD, &OPT_NO_RESTART, &OPT_WAIT_RESTART,
        &OPT_HEX,    &OPT_PASSWORD_FILE, &OPT_DRY_RUN,  &OPT_COMPARE};
    std::vector<const QCommandLineOption*> arrAllowed;
    if (strCommand == QLatin1String("search")) {
        options.nCommand = CLI_SEARCH;
        arrAllowed = {&OPT_SUBNET, &OPT_RANGE, &OPT_RATE, &OPT_WAIT,
                      &OPT_ROUNDS, &OPT_JSON,  &OPT_CSV,  &OPT_COMPARE};
    } else if (strCommand == QLatin1String("params")) {
        options.nCommand = CLI_PARAMS;
        arrAllowed = {&OPT_SUBNET, &OPT_RANGE, &OPT_RATE, &OPT_ROUNDS, &OPT_JSON};
    } else if (strCommand == QLatin1String("set")) {
        options.nCommand = CLI_SET;
        arrAllowed = {&OPT_SUBNET,       &OPT_RANGE,    &OPT_RATE,
                      &OPT_ROUNDS,       &OPT_PASSWORD, &OPT_NO_RESTART,
                      &OPT_WAIT_RESTART, &OPT_JSON,     &OPT_PASSWORD_FILE};
    } else if (strCommand == QLatin1String("apply")) {
        options.nCommand = CLI_APPLY;
        arrAllowed = {&OPT_SUBNET,        &OPT_RANGE,      &OPT_RATE,    &OPT_ROUNDS, &OPT_PASSWORD,
                      &OPT_PASSWORD_FILE, &OPT_NO_RESTART, &OPT_DRY_RUN, &OPT_JSON};
    } else if (strCommand == QLatin1String("decode")) {
        options.nCommand = CLI_DECODE;
        arrAllowed = {&OPT_HEX};
    } else {
        strError = QStringLiteral("unknown command '%1'").arg(strCommand);
        return false;
    }

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(OPT_TRACE);
    parser.addOption(OPT_HELP);
    for (const QCommandLineOption* pOption : arrAll)
        parser.addOption(*pOption);
    // QCommandLineParser skips the first argument as the program name.
    if (!parser.parse(arrArgs)) {
        strError = parser.errorText();
        return false;
    }
    if (parser.isSet(OPT_HELP)) {
        options.nCommand = CLI_HELP;
        return true;
    }
    for (const QCommandLineOption* pOption : arrAll) {
        if (parser.isSet(*pOption) &&
            std::find(arrAllowed.begin(), arrAllowed.end(), pOption) == arrAllowed.end()) {
            strError = QStringLiteral("option --%1 does not apply to %2")
                           .arg(pOption->names().first(), strCommand);
            return false;
        }
    }
    if (parser.isSet(OPT_TRACE) &&
        !ParseTraceOption(parser.value(OPT_TRACE), options.nTraceLevel, strError))
        return false;
    if (parser.isSet(OPT_SUBNET)) {
        SSubnet subnet;
        if (!ParseSubnetOption(parser.value(OPT_SUBNET), subnet, strError))
            return false;
        options.subnet = subnet;
    }
    if (parser.isSet(OPT_RANGE)) {
        if (options.subnet) {
            strError = QStringLiteral("--subnet and --range exclude each other");
            return false;
        }
        SRange range;
        if (!ParseRangeOption(parser.value(OPT_RANGE), range, strError))
            return false;
        options.range = range;
    }
    if (parser.isSet(OPT_RATE)) {
        if (!options.range) {
            strError = QStringLiteral("--rate paces a --range sweep; give --range too");
            return false;
        }
        if (!ParseRateOption(parser.value(OPT_RATE), options.nRate, strError))
            return false;
    }
    if (parser.isSet(OPT_JSON) && parser.isSet(OPT_CSV)) {
        strError = QStringLiteral("--json and --csv exclude each other");
        return false;
    }
    options.nFormat = parser.isSet(OPT_JSON)  ? FORMAT_JSON
                      : parser.isSet(OPT_CSV) ? FORMAT_CSV
                                              : FORMAT_TEXT;
    if (parser.isSet(OPT_WAIT) &&
        !ParseNumber(parser.value(OPT_WAIT), 0, 3600 * 1000, options.nWaitMs)) {
        strError =
            QStringLiteral("--wait expects milliseconds, not '%1'").arg(parser.value(OPT_WAIT));
        return false;
    }
    if (parser.isSet(OPT_ROUNDS) &&
        !ParseNumber(parser.value(OPT_ROUNDS), 1, ROUNDS_MAX, options.nRounds)) {
        strError = QStringLiteral("--rounds expects a number of sweeps from 1 to %1, not '%2'")
                       .arg(ROUNDS_MAX)
                       .arg(parser.value(OPT_ROUNDS));
        return false;
    }

    const QStringList arrPositional = parser.positionalArguments();
    switch (options.nCommand) {
    case CLI_SEARCH:
        if (!arrPositional.isEmpty()) {
            strError = QStringLiteral("unexpected argument '%1'").arg(arrPositional.first());
            return false;
        }
        return ParseCompareOption(parser, options, strError);
    case CLI_PARAMS:
        if (arrPositional.size() != 1) {
            strError = arrPositional.isEmpty()
                           ? QStringLiteral("params needs the MAC address of a card")
                           : QStringLiteral("unexpected argument '%1'").arg(arrPositional[1]);
            return false;
        }
        return ParseMacArgument(arrPositional.first(), options, strError);
    case CLI_SET:
        if (arrPositional.isEmpty()) {
            strError = QStringLiteral("set needs the MAC address of a card");
            return false;
        }
        if (!ParseMacArgument(arrPositional.first(), options, strError) ||
            !ParsePasswordOptions(parser, options, strError))
            return false;
        options.bNoRestart = parser.isSet(OPT_NO_RESTART);
        options.bWaitRestart = parser.isSet(OPT_WAIT_RESTART);
        if (options.bNoRestart && options.bWaitRestart) {
            strError = QStringLiteral("--wait-restart and --no-restart exclude each other");
            return false;
        }
        for (int i = 1; i < arrPositional.size(); ++i) {
            if (!ParseEdit(arrPositional[i], options, strError))
                return false;
        }
        return true;
    case CLI_APPLY:
        if (arrPositional.size() != 1) {
            strError = arrPositional.isEmpty()
                           ? QStringLiteral("apply needs a plan file")
                           : QStringLiteral("unexpected argument '%1'").arg(arrPositional[1]);
            return false;
        }
        options.strFile = arrPositional.first();
        options.bNoRestart = parser.isSet(OPT_NO_RESTART);
        options.bDryRun = parser.isSet(OPT_DRY_RUN);
        return ParsePasswordOptions(parser, options, strError);
    case CLI_DECODE:
        if (arrPositional.size() > 1) {
            strError = QStringLiteral("decode reads one file, not '%1'").arg(arrPositional[1]);
            return false;
        }
        options.bHex = parser.isSet(OPT_HEX);
        options.strFile = arrPositional.value(0);
        return true;
    case CLI_HELP:
        break;
    }
    return true;
}

QString CliUsage()
{
    return QStringLiteral(
        "Usage:\n"
        "  cardwise-cli search [--subnet ADDRESS/MASK | --range START-END [--rate N]]\n"
        "                      [--rounds N] [--wait MS] [--compare FILE] [--json|--csv]\n"
        "  cardwise-cli params MAC [--subnet ADDRESS/MASK | --range START-END [--rate N]]\n"
        "                      [--rounds N] [--json]\n"
        "  cardwise-cli set MAC [--password-file FILE | --password PW]\n"
        "                   [--subnet ADDRESS/MASK | --range START-END [--rate N]] [--rounds N]\n"
        "                   [--no-restart] [--wait-restart] NAME=VALUE... [--json]\n"
        "  cardwise-cli apply PLAN [--password-file FILE | --password PW]\n"
        "                   [--subnet ADDRESS/MASK | --range START-END [--rate N]] [--rounds N]\n"
        "                   [--no-restart] [--dry-run] [--json]\n"
        "  cardwise-cli decode [--hex] [FILE|-]\n"
        "\n"
        "Finds the UPS network cards, shows and changes their settings, and decodes frames.\n"
        "Without --subnet or --range the search broadcasts on every network of this PC (Local\n"
        "scope); with --subnet, to the directed broadcast of that network (the mask may be a\n"
        "prefix length); with --range, to every address from START to END, one by one, which\n"
        "also reaches cards behind routers.\n"
        "\n"
        "  --subnet ADDRESS/MASK  search one network, e.g. 192.168.1.0/255.255.255.0 or\n"
        "                         192.168.1.0/24\n"
        "  --range START-END      ask every address from START to END (both included, at most\n"
        "                         65536), twice, e.g. 10.1.2.1-10.1.2.254; set and params send\n"
        "                         to the address the card answered from\n"
        "  --rate N               requests per second of a --range sweep (default 2000), which\n"
        "                         takes 2 x addresses / N seconds and one more for late answers\n"
        "  --rounds N             sweep N times (default 1) and list every card that answered\n"
        "                         any sweep: on a lossy network, 3 find nearly every card\n"
        "  --wait MS              after the sweep, listen MS milliseconds longer\n"
        "  --compare FILE         compare the cards found with a list saved by search --json\n"
        "                         (or the window's Save List): new, missing and changed cards\n"
        "  --json, --csv          machine-readable output; a card's \"notes\" name what is wrong:\n"
        "                         other-subnet, address-conflict, dhcp\n"
        "  --password-file FILE   the cards' password for set and apply: the file's first line;\n"
        "                         without it, CARDWISE_PASSWORD, else a prompt on a terminal\n"
        "  --password PW          the password on the command line, for scripts; other users\n"
        "                         see it in the process list, so prefer --password-file\n"
        "  --no-restart           set or apply without restarting the cards\n"
        "  --wait-restart         after set, wait for the card's restart (20 s) and search again\n"
        "  NAME=VALUE             a parameter as params lists it (\"HTTP Port=8080\") or by its\n"
        "                         identifier (17=8080); every writable parameter is sent;\n"
        "                         addresses are four numbers from 0 to 255 (192.168.1.10)\n"
        "  PLAN                   apply: a CSV file with a MAC column (or * for every card\n"
        "                         found), one column per parameter by name or identifier, and\n"
        "                         an optional Password column; an empty cell keeps the value.\n"
        "                         JSON: {\"cards\":[{\"MAC\":...,\"HTTP Port\":8080}]}. The whole "
        "plan\n"
        "                         is checked before anything is sent; afterwards a new search\n"
        "                         reads every value back\n"
        "  --dry-run              apply: show each card's current and planned values, send\n"
        "                         nothing but the search\n"
        "  --hex                  decode reads hexadecimal text instead of raw bytes\n"
        "  --trace LEVEL          show protocol traces at LEVEL and above (0, 20, 40)\n"
        "  --help                 this text\n"
        "\n"
        "Exit codes: 0 success (apply: every card verified); 1 usage error (an unreadable\n"
        "--compare file too); 2 set rejected by the parameter checks, or the plan refused\n"
        "(nothing sent); 3 the card rejected the password (or answered set with an error);\n"
        "4 no answer (card not found, no acknowledgement, or the UDP port could not be\n"
        "opened); 5 search --compare found differences; 6 apply: some card not verified\n"
        "(verified, not-applied, password-rejected, no-answer, not-found).\n"
        "\n"
        "Test aid: CARDWISE_TICK_MS=N runs the 20 ms timer ticks every N ms.\n");
}
