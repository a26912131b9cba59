// SPDX-License-Identifier: GPL-3.0-or-later
// The saved inventory: reading it back (hostile files included) and comparing it with a list.
#include "Inventory.h"

#include "DeviceListModel.h"
#include "QtPrinters.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>

namespace {

using C = CDeviceListModel;

// A card of the document with the given MAC and configured address, the rest fixed.
QByteArray CardJson(const char* pszMac, const char* pszIp, const char* pszMore = "")
{
    return QByteArray("{\"mac\":\"") + pszMac + "\",\"actual_ip\":\"" + pszIp + "\",\"ip\":\"" +
           pszIp + "\",\"mask\":\"255.255.255.0\",\"gateway\":\"10.0.0.1\",\"hw\":2,\"fw\":201," +
           "\"adapter\":\"eth0\",\"notes\":[]" + pszMore + "}";
}

struct SParseCase
{
    const char* pszName;
    QByteArray strJson;
    const char* pszError; // a part of the message; null: the document is read
};

class CInventoryParseTest : public ::testing::TestWithParam<SParseCase>
{
};

TEST_P(CInventoryParseTest, ReadsOrSaysWhatIsWrong)
{
    const SParseCase& c = GetParam();
    std::vector<SInventoryCard> arrCards;
    QString strError;
    const bool bRead = ParseInventory(c.strJson, arrCards, strError);
    if (c.pszError == nullptr) {
        EXPECT_TRUE(bRead) << strError.toStdString();
        return;
    }
    EXPECT_FALSE(bRead);
    EXPECT_TRUE(arrCards.empty());
    EXPECT_TRUE(strError.contains(QString::fromUtf8(c.pszError))) << strError.toStdString();
}

const QByteArray DEEP = QByteArray(5000, '[') + QByteArray(5000, ']');

INSTANTIATE_TEST_SUITE_P(
    Cases, CInventoryParseTest,
    ::testing::Values(
        SParseCase{"EmptyList", "{\"devices\":[]}", nullptr},
        SParseCase{"UnknownKeysIgnored",
                   "{\"v\":2,\"devices\":[" +
                       CardJson("00-1a-2b-00-00-01", "10.0.0.2", ",\"x\":{}") + "]}",
                   nullptr},
        SParseCase{"OnlyTheMac", "{\"devices\":[{\"mac\":\"00:1A:2B:00:00:01\"}]}", nullptr},
        SParseCase{"NotJson", "{\"devices\":[\n{\"mac\":}]}", "at line 2, column"},
        SParseCase{"Empty", "", "not JSON"}, SParseCase{"TooDeep", DEEP, "not JSON"},
        SParseCase{"NoDevices", "{\"cards\":[]}", "no \"devices\" list"},
        SParseCase{"TopLevelArray", "[{\"devices\":[]}]", "no \"devices\" list"},
        SParseCase{"CardNotObject",
                   "{\"devices\":[" + CardJson("00-1A-2B-00-00-01", "1.1.1.1") + ",7]}",
                   "card 2: not an object"},
        SParseCase{"NoMac", "{\"devices\":[{\"ip\":\"10.0.0.1\"}]}", "card 1: \"mac\" is not"},
        SParseCase{"BadMac", "{\"devices\":[{\"mac\":\"00-1A-2B-00-00-0G\"}]}",
                   "\"mac\" is not a MAC"},
        SParseCase{"MacWithTail", "{\"devices\":[{\"mac\":\"00-1A-2B-00-00-01-02\"}]}",
                   "\"mac\" is not a MAC"},
        SParseCase{"MacNumber", "{\"devices\":[{\"mac\":1}]}", "\"mac\" is not a MAC"},
        SParseCase{"TwiceOneMac",
                   "{\"devices\":[" + CardJson("00-1A-2B-00-00-01", "1.1.1.1") + "," +
                       CardJson("00:1a:2b:00:00:01", "1.1.1.2") + "]}",
                   "card 2: MAC 00-1A-2B-00-00-01 is listed twice (card 1"},
        SParseCase{"IpNumber", "{\"devices\":[{\"mac\":\"00-1A-2B-00-00-01\",\"ip\":10}]}",
                   "(00-1A-2B-00-00-01): \"ip\" is not a text"},
        SParseCase{"LongText",
                   "{\"devices\":[{\"mac\":\"00-1A-2B-00-00-01\",\"gateway\":\"" +
                       QByteArray(256, 'x') + "\"}]}",
                   "\"gateway\" is longer than 255"},
        SParseCase{"FractionVersion", "{\"devices\":[{\"mac\":\"00-1A-2B-00-00-01\",\"fw\":2.5}]}",
                   "\"fw\" is not a whole number"},
        SParseCase{"HugeVersion", "{\"devices\":[{\"mac\":\"00-1A-2B-00-00-01\",\"hw\":1e300}]}",
                   "\"hw\" is not a whole number"},
        SParseCase{"TextVersion", "{\"devices\":[{\"mac\":\"00-1A-2B-00-00-01\",\"hw\":\"2\"}]}",
                   "\"hw\" is not a whole number"},
        SParseCase{"NotesText",
                   "{\"devices\":[{\"mac\":\"00-1A-2B-00-00-01\",\"notes\":\"dhcp\"}]}",
                   "\"notes\" is not a list"},
        SParseCase{"NotesOfNumbers",
                   "{\"devices\":[{\"mac\":\"00-1A-2B-00-00-01\",\"notes\":[1]}]}",
                   "\"notes\" is not a list"}),
    [](const ::testing::TestParamInfo<SParseCase>& tested) { return tested.param.pszName; });

class CInventoryTest : public ::testing::Test
{
protected:
    void Add(const char* pszMac, const char* pszIp, int nFw = 201)
    {
        m_list.AddOrUpdateDevice(inet_addr(pszIp), pszMac, pszIp, "255.255.255.0", "10.0.0.1", 2,
                                 nFw);
        m_list.AddDeviceDetails(pszMac, {"eth0", 2, inet_addr("10.0.0.9"), 0}, false);
    }
    std::vector<SInventoryCard> Read(const QByteArray& strJson)
    {
        std::vector<SInventoryCard> arrCards;
        QString strError;
        EXPECT_TRUE(ParseInventory(strJson, arrCards, strError)) << strError.toStdString();
        return arrCards;
    }

    CDeviceListModel m_list;
};

TEST_F(CInventoryTest, SavedListReadsBackAsWritten)
{
    Add("00-1A-2B-00-00-01", "10.0.0.2");
    // Listed by an acknowledgement only: versions and adapter unknown.
    m_list.AddOrUpdateDevice(inet_addr("10.0.0.3"), "00-1A-2B-00-00-02", "10.0.0.3", "255.0.0.0",
                             "10.0.0.1", -1, -1);
    const QString strJson = InventoryJson(InventoryFromList(m_list));
    QTemporaryDir dir;
    const QString strPath = dir.filePath(QStringLiteral("site.json"));
    QString strError;
    ASSERT_TRUE(WriteTextFile(strPath, strJson, strError)) << strError.toStdString();
    std::vector<SInventoryCard> arrCards;
    ASSERT_TRUE(ReadInventoryFile(strPath, arrCards, strError)) << strError.toStdString();
    EXPECT_EQ(InventoryJson(arrCards), strJson);
    EXPECT_FALSE(ReadInventoryFile(dir.filePath(QStringLiteral("none.json")), arrCards, strError));
    EXPECT_TRUE(strError.contains("none.json: cannot be read")) << strError.toStdString();
}

TEST_F(CInventoryTest, OversizedFileIsRefusedUnparsed)
{
    QTemporaryDir dir;
    const QString strPath = dir.filePath(QStringLiteral("big.json"));
    QFile file(strPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(INVENTORY_MAX_BYTES + 1));
    file.close();
    std::vector<SInventoryCard> arrCards;
    QString strError;
    EXPECT_FALSE(ReadInventoryFile(strPath, arrCards, strError));
    EXPECT_TRUE(strError.contains("larger than")) << strError.toStdString();
}

struct SCompareCase
{
    const char* pszName;
    QByteArray strSaved;                        // the cards of the saved document
    QStringList arrNew, arrMissing, arrChanged; // MACs
    QStringList arrFields;                      // keys of the first changed card
};

class CInventoryCompareTest : public CInventoryTest,
                              public ::testing::WithParamInterface<SCompareCase>
{
};

TEST_P(CInventoryCompareTest, FindsNewMissingAndChangedCards)
{
    const SCompareCase& c = GetParam();
    Add("00-1A-2B-00-00-01", "10.0.0.2");
    Add("00-1A-2B-00-00-02", "10.0.0.3");
    const SInventoryDiff diff =
        CompareInventory(Read("{\"devices\":[" + c.strSaved + "]}"), InventoryFromList(m_list));
    const auto fnMacs = [](const std::vector<SInventoryCard>& arrCards) {
        QStringList arrMacs;
        for (const SInventoryCard& card : arrCards)
            arrMacs.append(*card.arrFields[INV_MAC]);
        return arrMacs;
    };
    EXPECT_EQ(fnMacs(diff.arrNew), c.arrNew);
    EXPECT_EQ(fnMacs(diff.arrMissing), c.arrMissing);
    QStringList arrChanged;
    for (const SInventoryChange& change : diff.arrChanged)
        arrChanged.append(*change.found.arrFields[INV_MAC]);
    EXPECT_EQ(arrChanged, c.arrChanged);
    QStringList arrFields;
    if (!diff.arrChanged.empty()) {
        for (const int nField : diff.arrChanged.front().arrFields)
            arrFields.append(QString::fromLatin1(InventoryKey(nField)));
    }
    EXPECT_EQ(arrFields, c.arrFields);
    EXPECT_EQ(diff.IsEmpty(),
              c.arrNew.isEmpty() && c.arrMissing.isEmpty() && c.arrChanged.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CInventoryCompareTest,
    ::testing::Values(
        SCompareCase{"Same",
                     CardJson("00-1A-2B-00-00-01", "10.0.0.2") + "," +
                         CardJson("00-1A-2B-00-00-02", "10.0.0.3"),
                     {},
                     {},
                     {},
                     {}},
        // Another spelling of the MAC, no versions, other notes: nothing to tell.
        SCompareCase{"UnknownValuesAndNotesNotCompared",
                     CardJson("00:1a:2b:00:00:01", "10.0.0.2", ",\"hw\":null") + "," +
                         "{\"mac\":\"00-1A-2B-00-00-02\",\"notes\":[\"dhcp\"]}",
                     {},
                     {},
                     {},
                     {}},
        SCompareCase{"OneOfEach",
                     CardJson("00-1A-2B-00-00-02", "10.0.0.7") + "," +
                         CardJson("00-1A-2B-00-00-09", "10.0.0.9"),
                     {"00-1A-2B-00-00-01"},
                     {"00-1A-2B-00-00-09"},
                     {"00-1A-2B-00-00-02"},
                     {"actual_ip", "ip"}},
        SCompareCase{"FirmwareAndAdapter",
                     "{\"mac\":\"00-1A-2B-00-00-01\",\"fw\":200,\"adapter\":\"eth1\"}," +
                         CardJson("00-1A-2B-00-00-02", "10.0.0.3"),
                     {},
                     {},
                     {"00-1A-2B-00-00-01"},
                     {"fw", "adapter"}},
        SCompareCase{"EmptySavedList", "", {"00-1A-2B-00-00-01", "00-1A-2B-00-00-02"}, {}, {}, {}}),
    [](const ::testing::TestParamInfo<SCompareCase>& tested) { return tested.param.pszName; });

// The window's test follows the whole flow; here what it does not reach.
TEST_F(CInventoryTest, MissingRowGoesWhenItsCardAnswers)
{
    Add("00-1A-2B-00-00-01", "10.0.0.2");
    m_list.SetSavedInventory(
        Read("{\"devices\":[" + CardJson("00-1A-2B-00-00-09", "10.0.0.9") + "]}"));
    ASSERT_EQ(m_list.rowCount(), 2);
    EXPECT_FALSE(m_list.flags(m_list.index(1, C::COL_MAC)) & Qt::ItemIsEnabled);
    EXPECT_EQ(InventoryFromList(m_list).size(), 1u);

    Add("00-1A-2B-00-00-09", "10.0.0.9");
    EXPECT_EQ(m_list.rowCount(), 2);
    EXPECT_EQ(m_list.GetItemText(m_list.FindDevice("00-1A-2B-00-00-09"), C::COL_NOTE), "");
    // An empty saved list makes every card new.
    m_list.SetSavedInventory({});
    EXPECT_EQ(m_list.GetItemText(1, C::COL_NOTE), "New");
}

} // namespace
