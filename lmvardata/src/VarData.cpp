// SPDX-License-Identifier: LGPL-2.1-or-later
// CVarData: construction, setters, conversions and comparison.
#include <LmVarData/VarData.h>

#include "Bytes.h"
#include "VarDataRecord.h"

#include <cmath>
#include <cstring>

using lmvardata::LoadLE;
using lmvardata::StoreLE;

namespace {

std::uint64_t FloatBits(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::uint64_t DoubleBits(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::int64_t TruncateToInt64(double value)
{
    // Casting a NaN or an out-of-range double is undefined; both read as 0.
    constexpr double kTwo63 = 9223372036854775808.0;
    if (!(value >= -kTwo63 && value < kTwo63))
        return 0;
    return static_cast<std::int64_t>(value);
}

} // namespace

void CVarDataRecord::ReleaseHeap()
{
    m_pHeap.reset();
}

void CVarDataRecord::SetNumber(unsigned char type, std::uint64_t bits, unsigned short width)
{
    ReleaseHeap();
    StoreLE(m_aValue, bits, width);
    m_nType = type;
    m_nLength = width;
}

int CVarDataRecord::SetText(const char* text, std::size_t n)
{
    if (n > kMaxTextChars)
        n = kMaxTextChars;
    // Fill the new storage before releasing the old: text may live in it.
    std::unique_ptr<unsigned char[]> heap(new unsigned char[n + 1]);
    if (n > 0)
        std::memcpy(heap.get(), text, n);
    heap[n] = 0;
    m_pHeap = std::move(heap);
    std::memset(m_aValue, 0, sizeof m_aValue);
    m_nType = VD_string;
    m_nLength = static_cast<unsigned short>(n + 1);
    return m_nLength;
}

int CVarDataRecord::SetBlock(const unsigned char* data, unsigned short count)
{
    std::unique_ptr<unsigned char[]> heap(new unsigned char[count]);
    if (count > 0)
        std::memcpy(heap.get(), data, count);
    m_pHeap = std::move(heap);
    std::memset(m_aValue, 0, sizeof m_aValue);
    m_nType = VD_Buffer;
    m_nLength = count;
    return count;
}

void CVarDataRecord::CopyFrom(const CVarDataRecord& other)
{
    std::unique_ptr<unsigned char[]> heap;
    if (other.HoldsHeap() && other.m_pHeap) {
        heap.reset(new unsigned char[other.m_nLength]);
        if (other.m_nLength > 0)
            std::memcpy(heap.get(), other.m_pHeap.get(), other.m_nLength);
    }
    m_pHeap = std::move(heap);
    m_nID = other.m_nID;
    m_nType = other.m_nType;
    m_nLength = other.m_nLength;
    std::memcpy(m_aValue, other.m_aValue, sizeof m_aValue);
}

float CVarDataRecord::StoredFloat() const
{
    const auto bits = static_cast<std::uint32_t>(LoadLE(m_aValue, 4));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double CVarDataRecord::StoredDouble() const
{
    const std::uint64_t bits = LoadLE(m_aValue, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::int64_t CVarDataRecord::IntegerView() const
{
    switch (m_nType) {
    case VD_char:
        return static_cast<std::int8_t>(m_aValue[0]);
    case VD_BYTE:
        return m_aValue[0];
    case VD_short:
        return static_cast<std::int16_t>(LoadLE(m_aValue, 2));
    case VD_WORD:
        return static_cast<std::uint16_t>(LoadLE(m_aValue, 2));
    case VD_int:
    case VD_long:
        return static_cast<std::int32_t>(LoadLE(m_aValue, 4));
    case VD_UINT:
    case VD_DWORD:
        return static_cast<std::uint32_t>(LoadLE(m_aValue, 4));
    case VD_float:
        return TruncateToInt64(StoredFloat());
    case VD_double:
        return TruncateToInt64(StoredDouble());
    default:
        return 0;
    }
}

double CVarDataRecord::FloatView() const
{
    switch (m_nType) {
    case VD_float:
        return StoredFloat();
    case VD_double:
        return StoredDouble();
    default:
        // Integer codes: the integer view is exact in a double for every 32-bit value.
        return static_cast<double>(IntegerView());
    }
}

// Construction and assignment

CVarData::CVarData() : m_pData(new CVarDataRecord) {}

CVarData::CVarData(const CVarData& other) : m_pData(new CVarDataRecord)
{
    m_pData->CopyFrom(*other.m_pData);
}

#define LMVARDATA_TYPED_CTOR(T, setter)                                                            \
    CVarData::CVarData(T value, unsigned int id) : m_pData(new CVarDataRecord)                     \
    {                                                                                              \
        setter(value);                                                                             \
        m_pData->m_nID = id;                                                                       \
    }

LMVARDATA_TYPED_CTOR(char, Set_char)
LMVARDATA_TYPED_CTOR(unsigned char, Set_BYTE)
LMVARDATA_TYPED_CTOR(short, Set_short)
LMVARDATA_TYPED_CTOR(unsigned short, Set_WORD)
LMVARDATA_TYPED_CTOR(int, Set_int)
LMVARDATA_TYPED_CTOR(unsigned int, Set_UINT)
LMVARDATA_TYPED_CTOR(long, Set_long)
LMVARDATA_TYPED_CTOR(unsigned long, Set_DWORD)
LMVARDATA_TYPED_CTOR(float, Set_float)
LMVARDATA_TYPED_CTOR(double, Set_double)
LMVARDATA_TYPED_CTOR(const char*, Set_string)
#undef LMVARDATA_TYPED_CTOR

CVarData::CVarData(const unsigned char* data, unsigned short count, unsigned int id)
    : m_pData(new CVarDataRecord)
{
    Set_Buffer(data, count);
    m_pData->m_nID = id;
}

CVarData::~CVarData()
{
    delete m_pData;
}

const CVarData& CVarData::operator=(const CVarData& other)
{
    if (this != &other)
        m_pData->CopyFrom(*other.m_pData);
    return *this;
}

#define LMVARDATA_TYPED_ASSIGN(T, setter)                                                          \
    const CVarData& CVarData::operator=(T value)                                                   \
    {                                                                                              \
        setter(value);                                                                             \
        return *this;                                                                              \
    }

LMVARDATA_TYPED_ASSIGN(char, Set_char)
LMVARDATA_TYPED_ASSIGN(unsigned char, Set_BYTE)
LMVARDATA_TYPED_ASSIGN(short, Set_short)
LMVARDATA_TYPED_ASSIGN(unsigned short, Set_WORD)
LMVARDATA_TYPED_ASSIGN(int, Set_int)
LMVARDATA_TYPED_ASSIGN(unsigned int, Set_UINT)
LMVARDATA_TYPED_ASSIGN(long, Set_long)
LMVARDATA_TYPED_ASSIGN(unsigned long, Set_DWORD)
LMVARDATA_TYPED_ASSIGN(float, Set_float)
LMVARDATA_TYPED_ASSIGN(double, Set_double)
LMVARDATA_TYPED_ASSIGN(const char*, Set_string)
#undef LMVARDATA_TYPED_ASSIGN

// Setters

void CVarData::Set_char(char value)
{
    m_pData->SetNumber(VD_char, static_cast<unsigned char>(value), 1);
}

void CVarData::Set_BYTE(unsigned char value)
{
    m_pData->SetNumber(VD_BYTE, value, 1);
}

void CVarData::Set_short(short value)
{
    m_pData->SetNumber(VD_short, static_cast<unsigned short>(value), 2);
}

void CVarData::Set_WORD(unsigned short value)
{
    m_pData->SetNumber(VD_WORD, value, 2);
}

void CVarData::Set_int(int value)
{
    m_pData->SetNumber(VD_int, static_cast<std::uint32_t>(value), 4);
}

void CVarData::Set_UINT(unsigned int value)
{
    m_pData->SetNumber(VD_UINT, static_cast<std::uint32_t>(value), 4);
}

// long and unsigned long carry 32-bit values: only the low 32 bits are kept.
void CVarData::Set_long(long value)
{
    m_pData->SetNumber(VD_long, static_cast<std::uint32_t>(value), 4);
}

void CVarData::Set_DWORD(unsigned long value)
{
    m_pData->SetNumber(VD_DWORD, static_cast<std::uint32_t>(value), 4);
}

void CVarData::Set_float(float value)
{
    m_pData->SetNumber(VD_float, FloatBits(value), 4);
}

void CVarData::Set_double(double value)
{
    m_pData->SetNumber(VD_double, DoubleBits(value), 8);
}

int CVarData::Set_string(const char* text)
{
    // Bounded scan: a longer text is cut to what the length field can describe.
    return m_pData->SetText(text, strnlen(text, CVarDataRecord::kMaxTextChars + 1));
}

int CVarData::Set_Buffer(const unsigned char* data, unsigned short count)
{
    return m_pData->SetBlock(data, count);
}

// Getters: every integer getter keeps the low bits of the same 64-bit view.

char CVarData::Get_char() const
{
    return static_cast<char>(static_cast<std::uint8_t>(m_pData->IntegerView()));
}

unsigned char CVarData::Get_BYTE() const
{
    return static_cast<unsigned char>(m_pData->IntegerView());
}

short CVarData::Get_short() const
{
    return static_cast<short>(static_cast<std::uint16_t>(m_pData->IntegerView()));
}

unsigned short CVarData::Get_WORD() const
{
    return static_cast<unsigned short>(m_pData->IntegerView());
}

int CVarData::Get_int() const
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(m_pData->IntegerView()));
}

unsigned int CVarData::Get_UINT() const
{
    return static_cast<std::uint32_t>(m_pData->IntegerView());
}

long CVarData::Get_long() const
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(m_pData->IntegerView()));
}

unsigned long CVarData::Get_DWORD() const
{
    return static_cast<std::uint32_t>(m_pData->IntegerView());
}

float CVarData::Get_float() const
{
    if (m_pData->m_nType == VD_float)
        return m_pData->StoredFloat();
    return static_cast<float>(m_pData->FloatView());
}

double CVarData::Get_double() const
{
    return m_pData->FloatView();
}

CVarData::operator char()
{
    return Get_char();
}
CVarData::operator unsigned char()
{
    return Get_BYTE();
}
CVarData::operator short()
{
    return Get_short();
}
CVarData::operator unsigned short()
{
    return Get_WORD();
}
CVarData::operator int()
{
    return Get_int();
}
CVarData::operator unsigned int()
{
    return Get_UINT();
}
CVarData::operator long()
{
    return Get_long();
}
CVarData::operator unsigned long()
{
    return Get_DWORD();
}
CVarData::operator float()
{
    return Get_float();
}
CVarData::operator double()
{
    return Get_double();
}

const char* CVarData::Get_string() const
{
    if (!m_pData->HoldsHeap())
        return nullptr;
    return reinterpret_cast<const char*>(m_pData->m_pHeap.get());
}

CVarData::operator const char*()
{
    return Get_string();
}

int CVarData::Get_string(char* buffer, unsigned short size) const
{
    const CVarDataRecord& r = *m_pData;
    if (!buffer || r.m_nType != VD_string || !r.m_pHeap || r.m_nLength == 0)
        return -1;
    const auto* text = reinterpret_cast<const char*>(r.m_pHeap.get());
    if (strnlen(text, r.m_nLength) + 1 != r.m_nLength || size < r.m_nLength)
        return -1;
    std::memcpy(buffer, text, r.m_nLength);
    return r.m_nLength;
}

int CVarData::Get_Buffer(unsigned char* buffer, unsigned short size) const
{
    const CVarDataRecord& r = *m_pData;
    if (!buffer || size < r.m_nLength || r.m_nType != VD_Buffer)
        return -1;
    if (r.m_nLength > 0)
        std::memcpy(buffer, r.m_pHeap.get(), r.m_nLength);
    return r.m_nLength;
}

unsigned char CVarData::GetType() const
{
    return m_pData->m_nType;
}

unsigned short CVarData::GetLength() const
{
    return m_pData->m_nLength;
}

unsigned int CVarData::GetID() const
{
    return m_pData->m_nID;
}

void CVarData::SetID(unsigned int id)
{
    m_pData->m_nID = id;
}

int CVarData::IsEmpty() const
{
    const unsigned char type = m_pData->m_nType;
    return (type == 0 || type > VD_Buffer) ? 1 : 0;
}

int CVarData::operator==(const CVarData& other)
{
    const CVarDataRecord& a = *m_pData;
    const CVarDataRecord& b = *other.m_pData;
    switch (a.m_nType) {
    case VD_char:
    case VD_BYTE:
        return static_cast<std::uint8_t>(a.IntegerView()) ==
               static_cast<std::uint8_t>(b.IntegerView());
    case VD_short:
    case VD_WORD:
        return static_cast<std::uint16_t>(a.IntegerView()) ==
               static_cast<std::uint16_t>(b.IntegerView());
    case VD_int:
    case VD_UINT:
    case VD_long:
    case VD_DWORD:
        return static_cast<std::uint32_t>(a.IntegerView()) ==
               static_cast<std::uint32_t>(b.IntegerView());
    case VD_float:
        return other.Get_float() == a.StoredFloat();
    case VD_double:
        return other.Get_double() == a.StoredDouble();
    case VD_string:
    case VD_Buffer:
        // Texts and blocks are equal to a value of the same code with the same bytes.
        return b.m_nType == a.m_nType && b.m_nLength == a.m_nLength &&
               (a.m_nLength == 0 ||
                std::memcmp(a.m_pHeap.get(), b.m_pHeap.get(), a.m_nLength) == 0);
    default:
        return 0;
    }
}
