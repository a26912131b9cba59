// SPDX-License-Identifier: GPL-3.0-or-later
// Rows of the device list: one per MAC, placed by the text of the configured address.
#include "DeviceListModel.h"

#include <QSignalSpy>

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

namespace {

using C = CDeviceListModel;

class CDeviceListModelTest : public ::testing::Test
{
protected:
    int Add(const char* pszMac, const char* pszIp, int nHw = 1, int nFw = 1,
            const char* pszSource = "10.0.0.9")
    {
        return m_list.AddOrUpdateDevice(inet_addr(pszSource), pszMac, pszIp, "255.255.255.0",
                                        "10.0.0.1", nHw, nFw);
    }
    QStringList Column(int nColumn) const
    {
        QStringList arrTexts;
        for (int nRow = 0; nRow < m_list.GetItemCount(); ++nRow)
            arrTexts.append(m_list.GetItemText(nRow, nColumn));
        return arrTexts;
    }

    CDeviceListModel m_list;
};

TEST_F(CDeviceListModelTest, NewRowsAreOrderedByAddressTextTiesLast)
{
    Add("00-00-00-00-00-01", "192.168.1.2");
    Add("00-00-00-00-00-02", "192.168.1.100");
    Add("00-00-00-00-00-03", "10.0.0.5");
    Add("00-00-00-00-00-04", "10.0.0.5");
    EXPECT_EQ(Column(C::COL_IP),
              (QStringList{"10.0.0.5", "10.0.0.5", "192.168.1.100", "192.168.1.2"}));
    EXPECT_EQ(Column(C::COL_MAC).mid(0, 2),
              (QStringList{"00-00-00-00-00-03", "00-00-00-00-00-04"}));
}

TEST_F(CDeviceListModelTest, SecondReplyUpdatesTheRowInPlace)
{
    Add("00-00-00-00-00-01", "10.0.0.5", 2, 7);
    Add("00-00-00-00-00-02", "10.0.0.6", 2, 7);
    // The configured address now sorts last, but the row stays where it is.
    const int nRow = m_list.AddOrUpdateDevice(inet_addr("10.9.9.9"), "00-00-00-00-00-01",
                                              "99.0.0.1", "255.0.0.0", "99.0.0.254", 3, 8);
    ASSERT_EQ(nRow, 0);
    EXPECT_EQ(m_list.GetItemCount(), 2);
    EXPECT_EQ(m_list.GetItemText(0, C::COL_ACTUAL_IP), "10.9.9.9");
    EXPECT_EQ(m_list.GetItemText(0, C::COL_IP), "99.0.0.1");
    EXPECT_EQ(m_list.GetItemText(0, C::COL_MASK), "255.0.0.0");
    EXPECT_EQ(m_list.GetItemText(0, C::COL_GATEWAY), "99.0.0.254");
    EXPECT_EQ(m_list.GetItemText(0, C::COL_HW_VER), "3");
    EXPECT_EQ(m_list.GetItemText(0, C::COL_FW_VER), "8");
}

TEST_F(CDeviceListModelTest, VersionsOfZeroOrLessKeepTheirColumns)
{
    // A row first seen by an acknowledgement has no versions yet.
    Add("00-00-00-00-00-01", "10.0.0.5", -1, -1);
    EXPECT_EQ(m_list.GetItemText(0, C::COL_HW_VER), "");
    EXPECT_EQ(m_list.GetItemText(0, C::COL_FW_VER), "");
    Add("00-00-00-00-00-01", "10.0.0.5", 2, 7);
    Add("00-00-00-00-00-01", "10.0.0.5", 0, 3);
    EXPECT_EQ(m_list.GetItemText(0, C::COL_HW_VER), "2");
    EXPECT_EQ(m_list.GetItemText(0, C::COL_FW_VER), "3");
    Add("00-00-00-00-00-01", "10.0.0.5", -1, -1);
    EXPECT_EQ(m_list.GetItemText(0, C::COL_HW_VER), "2");
    EXPECT_EQ(m_list.GetItemText(0, C::COL_FW_VER), "3");
}

TEST_F(CDeviceListModelTest, EmptyMacDoesNotUpdateAnotherCard)
{
    Add("00-00-00-00-00-01", "10.0.0.5");
    Add("", "10.0.0.6");
    ASSERT_EQ(m_list.GetItemCount(), 2);
    EXPECT_EQ(m_list.FindDevice("00-00-00-00-00-01"), 0);
    EXPECT_EQ(m_list.GetItemText(0, C::COL_IP), "10.0.0.5");
    EXPECT_EQ(m_list.FindDevice(""), 1);
}

TEST_F(CDeviceListModelTest, KeyColumnHoldsTheMacAndHasNoTitle)
{
    Add("00-1A-2B-3C-4D-5E", "10.0.0.5");
    EXPECT_EQ(m_list.data(m_list.index(0, C::COL_KEY)).toString(), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(m_list.headerData(C::COL_KEY, Qt::Horizontal).toString(), "");
    EXPECT_EQ(m_list.headerData(C::COL_ACTUAL_IP, Qt::Horizontal).toString(), "IP Addr(Act)");
    EXPECT_EQ(m_list.headerData(C::COL_FW_VER, Qt::Horizontal).toString(), "FwVer");
}

TEST_F(CDeviceListModelTest, ViewsHearOfInsertsUpdatesAndClearing)
{
    QSignalSpy inserted(&m_list, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&m_list, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&m_list, &QAbstractItemModel::modelReset);
    Add("00-00-00-00-00-01", "10.0.0.5");
    Add("00-00-00-00-00-01", "10.0.0.5");
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(changed.count(), 2);
    m_list.DeleteAllItems();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(m_list.rowCount(), 0);
}

} // namespace
