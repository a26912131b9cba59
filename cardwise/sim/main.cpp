// cardwise-sim: answers card searches and set requests like a fleet of network cards.
#include "CardSimulator.h"
#include "LmDebug.h"
#include "SimConfig.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>

namespace {

constexpr int EXIT_USAGE = 1;
constexpr int EXIT_SOCKET = 2;

const char DESCRIPTION[] =
    "Simulates network cards of UPSs on one UDP endpoint. Every card answers a search\n"
    "(0x1001/0x2001) with its device information, and a set request (0x1002/0x2002) that\n"
    "names its MAC with an acknowledgement (right password) or an error reply (wrong\n"
    "password). A set request with the restart item makes the card silent for --restart-ms.\n"
    "Replies go to the sender's address and port. A socket bound to a unicast address\n"
    "receives no broadcasts: bind 0.0.0.0 to answer broadcast searches.\n"
    "\n"
    "Without --config, --cards N cards are made (default 1) with MACs 00-1A-2B-00-00-01\n"
    "upwards, addresses 192.168.1.10 upwards and password \"lemon\".\n"
    "\n"
    "Configuration file (JSON; only \"mac\" is required per card):\n"
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

int Fail(int code, const QString& message)
{
    std::fprintf(stderr, "cardwise-sim: %s\n", message.toLocal8Bit().constData());
    return code;
}

bool ReadNumber(const QCommandLineParser& parser, const QCommandLineOption& option, int low,
                int high, int& value)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const int number = parser.value(option).toInt(&ok);
    if (!ok || number < low || number > high)
        return false;
    value = number;
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("cardwise-sim");
    QCoreApplication::setApplicationVersion(QStringLiteral(CARDWISE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(DESCRIPTION));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption bindOption("bind", "Local IPv4 address to bind (default 127.0.0.1).",
                                        "address");
    const QCommandLineOption portOption("port", "UDP port to listen on (default 16788).", "port");
    const QCommandLineOption cardsOption("cards", "Number of generated cards (1 to 65535).", "n");
    const QCommandLineOption configOption("config", "JSON file describing the cards.", "file");
    const QCommandLineOption restartOption(
        "restart-ms", "How long a restarting card stays silent (default 3000).", "ms");
    const QCommandLineOption jitterOption(
        "reply-jitter-ms", "Delay each reply by a random 0..ms milliseconds (default 0).", "ms");
    const QCommandLineOption seedOption("seed", "Seed of the reply jitter (default 1).", "n");
    const QCommandLineOption traceOption(
        "trace",
        "Trace threshold: 0 shows every trace, 40 warnings only (default: "
        "CARDWISE_TRACE, else 40).",
        "level");
    parser.addOptions({bindOption, portOption, cardsOption, configOption, restartOption,
                       jitterOption, seedOption, traceOption});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        return Fail(EXIT_USAGE, "unexpected argument: " + parser.positionalArguments().first());

    int traceLevel = CLmDebug::Instance().GetThreshold();
    if (!ReadNumber(parser, traceOption, -1000, 1000, traceLevel))
        return Fail(EXIT_USAGE, "--trace needs a number");
    CLmDebug::Instance().SetThreshold(traceLevel);

    CCardSimulator::COptions options;
    int cardCount = 1;
    int port = 0;
    int seed = 1;
    if (!ReadNumber(parser, cardsOption, 1, 65535, cardCount))
        return Fail(EXIT_USAGE, "--cards needs a number from 1 to 65535");
    if (!ReadNumber(parser, portOption, 1, 65535, port))
        return Fail(EXIT_USAGE, "--port needs a number from 1 to 65535");
    if (!ReadNumber(parser, restartOption, 0, 3600000, options.nRestartMs))
        return Fail(EXIT_USAGE, "--restart-ms needs a number from 0 to 3600000");
    if (!ReadNumber(parser, jitterOption, 0, 60000, options.nJitterMs))
        return Fail(EXIT_USAGE, "--reply-jitter-ms needs a number from 0 to 60000");
    if (!ReadNumber(parser, seedOption, 0, 0x7FFFFFFF, seed))
        return Fail(EXIT_USAGE, "--seed needs a non-negative number");
    options.nSeed = static_cast<unsigned int>(seed);
    if (parser.isSet(cardsOption) && parser.isSet(configOption))
        return Fail(EXIT_USAGE, "use either --cards or --config, not both");

    std::vector<CSimCard> cards;
    if (parser.isSet(configOption)) {
        CSimConfig config;
        QString error;
        if (!LoadSimConfig(parser.value(configOption), config, error))
            return Fail(EXIT_USAGE, error);
        cards = std::move(config.cards);
        if (!config.strBind.isEmpty())
            options.strBind = config.strBind;
        if (config.nPort != 0)
            options.nPort = static_cast<unsigned int>(config.nPort);
    } else {
        cards = GenerateSimCards(cardCount);
    }
    if (parser.isSet(bindOption)) {
        const QHostAddress address(parser.value(bindOption));
        if (address.protocol() != QAbstractSocket::IPv4Protocol)
            return Fail(EXIT_USAGE, "--bind needs a dotted IPv4 address");
        options.strBind = parser.value(bindOption);
    }
    if (port != 0)
        options.nPort = static_cast<unsigned int>(port);

    const std::size_t count = cards.size();
    CCardSimulator simulator(std::move(cards), options);
    QString error;
    if (!simulator.Start(error))
        return Fail(EXIT_SOCKET, error);
    std::printf("cardwise-sim: %zu cards on %s:%u\n", count, options.strBind.toLatin1().constData(),
                options.nPort);
    std::fflush(stdout);
    return app.exec();
}
