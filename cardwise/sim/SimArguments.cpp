// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of cardwise-sim.
#include "SimArguments.h"

#include "ProgramOptions.h"
#include "SimConfig.h"

#include <QCommandLineParser>
#include <QtEndian>

namespace {

const char DESCRIPTION[] =
    "Simulates network cards of UPSs on one UDP endpoint. Every card answers a search\n"
    "(0x1001/0x2001) with its device information, and a set request (0x1002/0x2002) that\n"
    "names its MAC with an acknowledgement (right password) or an error reply (wrong\n"
    "password). A set request with the restart item makes the card silent for --restart-ms.\n"
    "Replies go to the sender's address and port. A socket bound to a unicast address\n"
    "receives no broadcasts: bind 0.0.0.0 to answer broadcast searches.\n"
    "\n"
    "With --first-address A the cards take the addresses A, A+1, ... in turn (in place of\n"
    "the file's \"ip\") and act as hosts of their own on one endpoint: a request sent to one\n"
    "card's address reaches that card only, a broadcast reaches every card, and each card\n"
    "answers from its own address. Bind 0.0.0.0 and give this host those addresses (inside\n"
    "unshare -n every address of 127.0.0.0/8 is local: --first-address 127.1.0.1).\n"
    "\n"
    "Without --config, --cards N cards are made (default 1) with MACs 00-1A-2B-00-00-01\n"
    "upwards, addresses 192.168.1.10 upwards and password \"lemon\".\n"
    "\n"
    "Configuration file (JSON; only \"mac\" is required per card; addresses are four numbers\n"
    "from 0 to 255; a password has at most 16 bytes):\n"
    "  {\"bind\": \"0.0.0.0\", \"port\": 16788,\n"
    "   \"cards\": [{\"mac\": \"00-1A-2B-00-00-01\", \"ip\": \"10.77.1.101\",\n"
    "              \"mask\": \"255.255.255.0\", \"gateway\": \"10.77.1.1\", \"hw\": 2, \"fw\": "
    "215,\n"
    "              \"password\": \"lemon\", \"dhcp\": 0, \"gridmon\": 1,\n"
    "              \"gridmon_password\": \"KOVAL-WERK\", \"http\": 1, \"http_port\": 80,\n"
    "              \"admin_password\": \"admin\", \"snmp\": 1, \"telnet\": 1, \"telnet_port\": "
    "23,\n"
    "              \"device_id\": \"(48 characters at most)\", \"encoding\": "
    "\"byte|word|dword\"}]}\n"
    "Options on the command line win over \"bind\" and \"port\" of the file.\n"
    "\n"
    "Prints one line \"cardwise-sim: N cards on ADDRESS:PORT\" on standard output when ready.\n"
    "Exit status: 1 for bad arguments or configuration, 2 when the endpoint cannot be bound.";

const QCommandLineOption OPT_BIND("bind", "Local IPv4 address to bind (default 127.0.0.1).",
                                  "address");
const QCommandLineOption OPT_PORT("port", "UDP port to listen on (default 16788).", "port");
const QCommandLineOption OPT_CARDS("cards", "Number of generated cards (1 to 65535).", "n");
const QCommandLineOption OPT_CONFIG("config", "JSON file describing the cards.", "file");
const QCommandLineOption OPT_FIRST("first-address",
                                   "Cards at consecutive addresses from this one, each answering "
                                   "what is sent to its own address (and broadcasts).",
                                   "address");
const QCommandLineOption
    OPT_RESTART("restart-ms", "How long a restarting card stays silent (default 3000).", "ms");
const QCommandLineOption OPT_JITTER("reply-jitter-ms",
                                    "Delay each reply by a random 0..ms milliseconds (default 0).",
                                    "ms");
const QCommandLineOption OPT_SEED("seed", "Seed of the reply jitter and of the losses (default 1).",
                                  "n");
const QCommandLineOption OPT_LOSS("loss",
                                  "Drop this share of the received requests and of the replies, "
                                  "from 0 to 1 (default 0).",
                                  "share");
const QCommandLineOption OPT_DUPLICATE("duplicate",
                                       "Send this share of the replies twice, from 0 to 1 "
                                       "(default 0).",
                                       "share");
const QCommandLineOption OPT_REORDER("reorder",
                                     "Answer each search with the cards in a shuffled order.");
const QCommandLineOption OPT_TRACE("trace",
                                   "Trace threshold: 0 shows every trace, 40 warnings only "
                                   "(default: CARDWISE_TRACE, else 40).",
                                   "level");
const QCommandLineOption OPT_HELP(QStringList{"h", "help"},
                                  "Displays help on commandline options.");
const QCommandLineOption OPT_VERSION(QStringList{"v", "version"}, "Displays version information.");

void AddOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QString::fromLatin1(DESCRIPTION));
    parser.addOptions({OPT_HELP, OPT_VERSION, OPT_BIND, OPT_PORT, OPT_CARDS, OPT_CONFIG, OPT_FIRST,
                       OPT_RESTART, OPT_JITTER, OPT_SEED, OPT_LOSS, OPT_DUPLICATE, OPT_REORDER,
                       OPT_TRACE});
}

// An option's number from nLow to nHigh; an option that is not given leaves nValue alone.
bool ReadNumber(const QCommandLineParser& parser, const QCommandLineOption& option, int nLow,
                int nHigh, int& nValue)
{
    if (!parser.isSet(option))
        return true;
    bool bOk = false;
    const int nNumber = parser.value(option).toInt(&bOk, 10);
    if (!bOk || nNumber < nLow || nNumber > nHigh)
        return false;
    nValue = nNumber;
    return true;
}

// An option's share from 0 to 1 ("0.1"); an option that is not given leaves dValue alone.
bool ReadShare(const QCommandLineParser& parser, const QCommandLineOption& option, double& dValue)
{
    if (!parser.isSet(option))
        return true;
    bool bOk = false;
    const double dShare = parser.value(option).toDouble(&bOk);
    if (!bOk || !(dShare >= 0 && dShare <= 1))
        return false;
    dValue = dShare;
    return true;
}

} // namespace

bool ParseSimArguments(const QStringList& arrArgs, SSimArguments& args, QString& strError)
{
    args = SSimArguments();
    QCommandLineParser parser;
    AddOptions(parser);
    // QCommandLineParser skips the first argument as the program name.
    if (!parser.parse(QStringList{QStringLiteral("cardwise-sim")} + arrArgs)) {
        strError = parser.errorText();
        return false;
    }
    args.bHelp = parser.isSet(OPT_HELP);
    args.bVersion = parser.isSet(OPT_VERSION);
    if (args.bHelp || args.bVersion)
        return true;
    if (!parser.positionalArguments().isEmpty()) {
        strError = QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments()[0]);
        return false;
    }
    if (parser.isSet(OPT_TRACE) &&
        !CardwiseCore::ParseTraceOption(parser.value(OPT_TRACE), args.nTraceLevel, strError))
        return false;

    int nPort = 0;
    int nSeed = 1;
    CCardSimulator::COptions& simulator = args.simulator;
    const struct
    {
        const QCommandLineOption& option;
        int nLow, nHigh;
        int& nValue;
        const char* pszMessage;
    } arrNumbers[] = {
        {OPT_CARDS, 1, 65535, args.nCards, "--cards needs a number from 1 to 65535"},
        {OPT_PORT, 1, 65535, nPort, "--port needs a number from 1 to 65535"},
        {OPT_RESTART, 0, 3600000, simulator.nRestartMs,
         "--restart-ms needs a number from 0 to 3600000"},
        {OPT_JITTER, 0, 60000, simulator.nJitterMs,
         "--reply-jitter-ms needs a number from 0 to 60000"},
        {OPT_SEED, 0, 0x7FFFFFFF, nSeed, "--seed needs a non-negative number"},
    };
    for (const auto& number : arrNumbers) {
        if (!ReadNumber(parser, number.option, number.nLow, number.nHigh, number.nValue)) {
            strError = QString::fromLatin1(number.pszMessage);
            return false;
        }
    }
    args.nPort = static_cast<unsigned int>(nPort);
    simulator.nSeed = static_cast<unsigned int>(nSeed);
    for (const auto& share : {std::make_pair(&OPT_LOSS, &simulator.dLoss),
                              std::make_pair(&OPT_DUPLICATE, &simulator.dDuplicate)}) {
        if (!ReadShare(parser, *share.first, *share.second)) {
            strError = QStringLiteral("--%1 needs a share from 0 to 1, such as 0.1")
                           .arg(share.first->names().first());
            return false;
        }
    }
    simulator.bReorder = parser.isSet(OPT_REORDER);
    if (parser.isSet(OPT_CARDS) && parser.isSet(OPT_CONFIG)) {
        strError = QStringLiteral("use either --cards or --config, not both");
        return false;
    }
    args.strConfig = parser.value(OPT_CONFIG);
    if (parser.isSet(OPT_FIRST)) {
        args.dwFirstAddress = CardwiseCore::ParseTypedAddress(parser.value(OPT_FIRST));
        if (!args.dwFirstAddress || *args.dwFirstAddress == 0) {
            strError = QStringLiteral("--first-address needs an address of four numbers from 0 "
                                      "to 255 other than 0.0.0.0, such as 127.1.0.1, not '%1'")
                           .arg(parser.value(OPT_FIRST));
            return false;
        }
    }
    if (parser.isSet(OPT_BIND)) {
        args.strBind = parser.value(OPT_BIND);
        if (!CardwiseCore::ParseTypedAddress(args.strBind)) {
            strError = QStringLiteral("--bind needs an address of four numbers from 0 to 255, "
                                      "such as 127.0.0.1, not '%1'")
                           .arg(args.strBind);
            return false;
        }
    }
    return true;
}

QString SimUsage()
{
    QCommandLineParser parser;
    AddOptions(parser);
    // Without an application object the parser cannot name the program itself.
    return parser.helpText().replace(QStringLiteral("<executable_name>"),
                                     QStringLiteral("cardwise-sim"));
}

bool LoadSimSetup(const SSimArguments& args, std::vector<CSimCard>& arrCards,
                  CCardSimulator::COptions& options, QString& strError)
{
    options = args.simulator;
    if (args.strConfig.isEmpty())
        arrCards = GenerateSimCards(args.nCards);
    else {
        CSimConfig config;
        if (!LoadSimConfig(args.strConfig, config, strError))
            return false;
        arrCards = std::move(config.arrCards);
        if (!config.strBind.isEmpty())
            options.strBind = config.strBind;
        if (config.nPort != 0)
            options.nPort = static_cast<unsigned int>(config.nPort);
    }
    if (args.dwFirstAddress) {
        const std::uint64_t nLast = std::uint64_t{*args.dwFirstAddress} + arrCards.size() - 1;
        if (nLast > 0xFFFFFFFF) {
            strError = QStringLiteral("--first-address: %1 cards do not fit above that address")
                           .arg(arrCards.size());
            return false;
        }
        for (std::size_t i = 0; i < arrCards.size(); ++i) {
            CSimCard& card = arrCards[i];
            const std::uint32_t dwNewIp =
                qToBigEndian(*args.dwFirstAddress + static_cast<std::uint32_t>(i));
            // A generated card's gateway follows its address into the new subnet.
            if (args.strConfig.isEmpty())
                card.dwGateway = (dwNewIp & card.dwMask) | qToBigEndian(std::uint32_t{1});
            card.dwIp = dwNewIp;
        }
        options.bOwnAddresses = true;
    }
    if (!args.strBind.isEmpty())
        options.strBind = args.strBind;
    if (args.nPort != 0)
        options.nPort = args.nPort;
    return true;
}
