// SPDX-License-Identifier: GPL-3.0-or-later
// lab_search: one search of the network lab, run inside its PC namespace. Sends a search to
// each destination (the last one repeated as the window's sweep does), waits for the replies
// and prints the MAC of every card that answered, one per line, sorted.
#include "CardProtocol.h"
#include "DeviceSocket.h"
#include "NetworkIsolation.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// Lab interfaces carry this prefix; nothing else may be allowed, so a mistyped command line
// cannot open the way to a real adapter.
constexpr char LAB_PREFIX[] = "cwl";

class CMacCollector : public CDeviceOwner
{
public:
    void AddOrUpdateDevice(std::uint32_t, const char* mac, const char*, const char*, const char*,
                           int, int) override
    {
        m_macs.insert(mac);
    }
    void SetProcessStatus(int, const char*) override {}

    std::set<std::string> m_macs;
};

int Usage()
{
    std::fprintf(stderr, "usage: lab_search [--allow-if cwlA,cwlB] [--wait MS] DESTINATION...\n");
    return 1;
}

std::vector<std::string> Split(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find(',', start);
        parts.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parts;
}

void RunEvents(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int main(int argc, char* argv[])
{
    std::vector<std::string> allowed;
    std::vector<std::string> destinations;
    int waitMs = 1500;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--allow-if" && i + 1 < argc) {
            allowed = Split(argv[++i]);
        } else if (argument == "--wait" && i + 1 < argc) {
            waitMs = std::atoi(argv[++i]);
        } else if (!argument.empty() && argument[0] == '-') {
            return Usage();
        } else {
            destinations.push_back(argument);
        }
    }
    if (destinations.empty() || waitMs <= 0)
        return Usage();
    for (const std::string& name : allowed) {
        if (name.rfind(LAB_PREFIX, 0) != 0) {
            std::fprintf(stderr, "lab_search: %s is no lab interface (prefix %s)\n", name.c_str(),
                         LAB_PREFIX);
            return 1;
        }
    }
    NetworkIsolation::Require("lab_search", allowed);

    QCoreApplication app(argc, argv);
    CMacCollector collector;
    CDeviceSocket socket(&collector);
    if (!socket.OpenSocket(1)) {
        std::fprintf(stderr, "lab_search: cannot open UDP port %u\n", CardProtocol::PORT_HOST);
        return 2;
    }
    for (const std::string& destination : destinations)
        socket.SendSearch(destination.c_str(), CardProtocol::PORT_CARD);
    for (int repeat = 0; repeat < 4; ++repeat) {
        RunEvents(200);
        socket.SendSearch("", CardProtocol::PORT_CARD);
    }
    RunEvents(waitMs);
    socket.Close();
    for (const std::string& mac : collector.m_macs)
        std::printf("%s\n", mac.c_str());
    return 0;
}
