// SPDX-License-Identifier: GPL-3.0-or-later
// CCardSimulator: a fleet of simulated cards behind one UDP endpoint, answering searches and
// set-parameters requests as cards do.
#pragma once

#include "SimCard.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

class CCardSimulator : public QObject
{
    Q_OBJECT

public:
    struct COptions
    {
        QString strBind = QStringLiteral("127.0.0.1");
        unsigned int nPort = 16788;
        int nRestartMs = 3000; // how long a card stays silent after a restart
        int nJitterMs = 0;     // each reply is delayed by a random 0..nJitterMs ms
        unsigned int nSeed = 1;
        // Each card is a host of its own: it takes requests sent to its address or to a
        // broadcast address, and answers from its address.
        bool bOwnAddresses = false;
        // A bad network: the share of received requests and of replies that is dropped, the
        // share of replies sent twice, and the answers to a search sent in shuffled order.
        double dLoss = 0;
        double dDuplicate = 0;
        bool bReorder = false;
    };

    CCardSimulator(std::vector<CSimCard> arrCards, const COptions& options,
                   QObject* parent = nullptr);
    ~CCardSimulator() override;

    // Binds the endpoint; on failure returns false with a message.
    bool Start(QString& strError);

    // Answers one request as received from address:port and sent to dwDestination (network
    // order; 0 unknown). Searches (0x1001, 0x2001) with a valid search key get one
    // device-information reply per card that is not restarting; set requests (0x1002, 0x2002)
    // get an acknowledgement or an error reply from the card whose MAC the header names. With
    // own addresses only the cards that the destination reaches take part. Anything else is
    // ignored. Loss, duplicates and reordering apply as the options ask.
    void HandleDatagram(const unsigned char* pData, int nSize, const char* pszAddress,
                        unsigned int nPort, std::uint32_t dwDestination = 0);

    const std::vector<CSimCard>& GetCards() const { return m_arrCards; }
    bool IsRestarting(std::size_t index) const;

private:
    class CSimSocket;

    // Whether a request sent to dwDestination reaches card index.
    bool Reaches(std::uint32_t dwDestination, std::size_t index) const;
    void AnswerSearch(std::uint16_t nCommand, const std::string& strAddress, unsigned int nPort,
                      std::uint32_t dwDestination);
    void AnswerSet(std::uint16_t nCommand, const unsigned char* pMac,
                   const unsigned char* pPassword, const CVarDataGroup& values,
                   const std::string& strAddress, unsigned int nPort, std::uint32_t dwDestination);
    // With own addresses the reply leaves from dwSource (network order).
    void SendReply(const CSimCard& card, std::uint16_t nCommand, const CVarDataGroup& items,
                   const std::string& strAddress, unsigned int nPort, std::uint32_t dwSource);
    // True with the probability dShare, from the seeded generator.
    bool Chance(double dShare);

    std::vector<CSimCard> m_arrCards;
    std::vector<QDeadlineTimer> m_arrRestartEnds;
    COptions m_options;
    std::unique_ptr<CSimSocket> m_pSocket;
    std::mt19937 m_random;
    // The broadcast addresses of this host's interfaces, network order.
    std::set<std::uint32_t> m_setBroadcasts;
};
