// SPDX-License-Identifier: LGPL-2.1-or-later
// CVarDataGroup: ordered elements with an ID index.
#include <LmVarData/VarDataGroup.h>

#include "VarDataGroupRecord.h"

#include <algorithm>
#include <utility>

namespace {

// Elements of source added in order to an empty array: values sharing an ID become one,
// at the first position, holding the last value.
void BuildMerged(const std::vector<std::unique_ptr<CVarData>>& source,
                 std::vector<std::unique_ptr<CVarData>>& elements, lmvardata::CIdIndex& index)
{
    for (const auto& value : source) {
        const int pos = index.Find(value->GetID());
        if (pos >= 0) {
            *elements[pos] = *value;
        } else {
            index.Set(value->GetID(), static_cast<int>(elements.size()));
            elements.push_back(std::make_unique<CVarData>(*value));
        }
    }
}

} // namespace

void CVarDataGroupRecord::AddCopy(const CVarData& value)
{
    const int pos = Find(value.GetID());
    if (pos >= 0)
        *m_arrElements[pos] = value;
    else
        Append(std::make_unique<CVarData>(value));
}

void CVarDataGroupRecord::Append(std::unique_ptr<CVarData> value)
{
    m_index.Set(value->GetID(), Size());
    m_arrElements.push_back(std::move(value));
}

void CVarDataGroupRecord::RemoveAt(int position)
{
    m_index.Erase(m_arrElements[position]->GetID());
    // Entries behind the removed element follow it down; one still naming it is dropped.
    m_index.Remap([position](unsigned int, int pos) {
        if (pos == position)
            return -1;
        return pos > position ? pos - 1 : pos;
    });
    m_arrElements.erase(m_arrElements.begin() + position);
}

CVarDataGroup::CVarDataGroup() : m_pData(new CVarDataGroupRecord) {}

CVarDataGroup::CVarDataGroup(const CVarDataGroup& other) : m_pData(new CVarDataGroupRecord)
{
    *this = other;
}

CVarDataGroup::~CVarDataGroup()
{
    delete m_pData;
}

const CVarDataGroup& CVarDataGroup::operator=(const CVarDataGroup& other)
{
    CVarDataGroupRecord& r = *m_pData;
    const auto& source = other.m_pData->m_arrElements;

    if (this != &other) {
        // Common case: the source bears each ID once, so the result is a plain copy and the
        // existing elements and index table can be reused.
        // A table far larger than the new content would only hold memory.
        if (r.m_index.Capacity() > 4 * (source.size() + 8))
            r.m_index.Release();
        r.m_index.Clear();
        r.m_index.Reserve(source.size());
        bool distinct = true;
        for (std::size_t i = 0; i < source.size(); ++i) {
            const unsigned int id = source[i]->GetID();
            if (r.m_index.Find(id) >= 0) {
                distinct = false;
                break;
            }
            r.m_index.Set(id, static_cast<int>(i));
        }
        if (distinct) {
            const std::size_t common = std::min(source.size(), r.m_arrElements.size());
            for (std::size_t i = 0; i < common; ++i)
                *r.m_arrElements[i] = *source[i];
            r.m_arrElements.resize(common);
            for (std::size_t i = common; i < source.size(); ++i)
                r.m_arrElements.push_back(std::make_unique<CVarData>(*source[i]));
            return *this;
        }
    }

    // Duplicate IDs, or the group itself: build the result apart, then take it over.
    std::vector<std::unique_ptr<CVarData>> elements;
    lmvardata::CIdIndex index;
    BuildMerged(source, elements, index);
    r.m_arrElements.swap(elements);
    r.m_index = std::move(index);
    return *this;
}

const CVarDataGroup& CVarDataGroup::operator-(const CVarDataGroup&)
{
    return *this;
}

int CVarDataGroup::Add(const CVarData& value)
{
    m_pData->AddCopy(value);
    return m_pData->Size();
}

// Typed adds build the value in place when the ID is new, saving a temporary copy.
#define LMVARDATA_TYPED_ADD(T)                                                                     \
    int CVarDataGroup::Add(T value, unsigned int id)                                               \
    {                                                                                              \
        const int pos = m_pData->Find(id);                                                         \
        if (pos >= 0)                                                                              \
            *m_pData->m_arrElements[pos] = CVarData(value, id);                                    \
        else                                                                                       \
            m_pData->Append(std::make_unique<CVarData>(value, id));                                \
        return m_pData->Size();                                                                    \
    }

LMVARDATA_TYPED_ADD(char)
LMVARDATA_TYPED_ADD(unsigned char)
LMVARDATA_TYPED_ADD(short)
LMVARDATA_TYPED_ADD(unsigned short)
LMVARDATA_TYPED_ADD(int)
LMVARDATA_TYPED_ADD(unsigned int)
LMVARDATA_TYPED_ADD(long)
LMVARDATA_TYPED_ADD(unsigned long)
LMVARDATA_TYPED_ADD(float)
LMVARDATA_TYPED_ADD(double)
LMVARDATA_TYPED_ADD(const char*)
#undef LMVARDATA_TYPED_ADD

int CVarDataGroup::Add(const unsigned char* data, unsigned short count, unsigned int id)
{
    const int pos = m_pData->Find(id);
    if (pos >= 0)
        *m_pData->m_arrElements[pos] = CVarData(data, count, id);
    else
        m_pData->Append(std::make_unique<CVarData>(data, count, id));
    return m_pData->Size();
}

int CVarDataGroup::Add(const CVarDataGroup& other)
{
    const auto& source = other.m_pData->m_arrElements;
    // By index with the size fixed up front: other may be this group and grow meanwhile.
    const std::size_t count = source.size();
    for (std::size_t i = 0; i < count; ++i) {
        const CVarData& value = *source[i];
        if (value.IsEmpty() || value.GetID() == 0)
            continue;
        m_pData->AddCopy(value);
    }
    return m_pData->Size();
}

const CVarData& CVarDataGroup::GetAt(int position) const
{
    if (position < 0 || position >= m_pData->Size())
        return m_pData->m_placeholder;
    return *m_pData->m_arrElements[position];
}

void CVarDataGroup::SetAt(int position, const CVarData& value)
{
    CVarDataGroupRecord& r = *m_pData;
    if (position < 0 || position >= r.Size())
        return;
    CVarData& element = *r.m_arrElements[position];
    const unsigned int oldId = element.GetID();
    if (oldId != value.GetID() && r.m_index.Find(oldId) == position)
        r.m_index.Erase(oldId);
    element = value;
    r.m_index.Set(value.GetID(), position);
}

CVarData& CVarDataGroup::operator[](unsigned int id)
{
    const int pos = m_pData->Find(id);
    return pos >= 0 ? *m_pData->m_arrElements[pos] : m_pData->m_placeholder;
}

const CVarData& CVarDataGroup::operator[](unsigned int id) const
{
    const int pos = m_pData->Find(id);
    return pos >= 0 ? *m_pData->m_arrElements[pos] : m_pData->m_placeholder;
}

int CVarDataGroup::GetSize() const
{
    return m_pData->Size();
}

int CVarDataGroup::IsEmpty() const
{
    return m_pData->m_arrElements.empty() ? 1 : 0;
}

unsigned int CVarDataGroup::GetID(int position) const
{
    if (position < 0 || position >= m_pData->Size())
        return 0xFFFFFFFFu;
    return m_pData->m_arrElements[position]->GetID();
}

int CVarDataGroup::GetIndex(unsigned int id) const
{
    return m_pData->Find(id);
}

int CVarDataGroup::RemoveAt(int position)
{
    if (position < 0 || position >= m_pData->Size())
        return -1;
    m_pData->RemoveAt(position);
    return m_pData->Size();
}

int CVarDataGroup::RemoveID(unsigned int id)
{
    const int pos = m_pData->Find(id);
    if (pos < 0)
        return -1;
    m_pData->RemoveAt(pos);
    return m_pData->Size();
}

int CVarDataGroup::RemoveByType(unsigned char code)
{
    CVarDataGroupRecord& r = *m_pData;
    // One compaction pass; the index ends as if each match had gone through RemoveAt.
    std::vector<int> newPos(r.m_arrElements.size(), -1);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < r.m_arrElements.size(); ++i) {
        if (r.m_arrElements[i]->GetType() == code) {
            r.m_index.Erase(r.m_arrElements[i]->GetID());
            continue;
        }
        newPos[i] = static_cast<int>(kept);
        if (kept != i)
            r.m_arrElements[kept] = std::move(r.m_arrElements[i]);
        ++kept;
    }
    if (kept == r.m_arrElements.size())
        return r.Size();
    r.m_arrElements.resize(kept);
    r.m_index.Remap([&newPos](unsigned int, int pos) {
        return static_cast<std::size_t>(pos) < newPos.size() ? newPos[pos] : -1;
    });
    return r.Size();
}

int CVarDataGroup::RemoveAll()
{
    m_pData->m_arrElements.clear();
    m_pData->m_index.Release();
    return 1;
}
