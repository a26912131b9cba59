// SPDX-License-Identifier: LGPL-2.1-or-later
// CVarDataGroup: an ordered collection of CVarData copies with lookup by ID.
#pragma once

#include <LmVarData/LmVarDataExport.h>
#include <LmVarData/VarData.h>

class CArchive;
struct CVarDataGroupRecord;

// A group owns a heap copy of every element; Add replaces the element of the same ID in place.
class LMVARDATA_EXPORT CVarDataGroup
{
public:
    CVarDataGroup();
    // Same as an empty group assigned from other.
    CVarDataGroup(const CVarDataGroup& other);
    virtual ~CVarDataGroup();

    // Copies other's elements in order; elements of other that share an ID become one.
    const CVarDataGroup& operator=(const CVarDataGroup& other);
    // Returns the group itself, unchanged; other is not read.
    const CVarDataGroup& operator-(const CVarDataGroup& other);

    // Adds a copy, or replaces the element that bears the same ID; returns the size.
    int Add(const CVarData& value);
    int Add(char value, unsigned int id);
    int Add(unsigned char value, unsigned int id);
    int Add(short value, unsigned int id);
    int Add(unsigned short value, unsigned int id);
    int Add(int value, unsigned int id);
    int Add(unsigned int value, unsigned int id);
    int Add(long value, unsigned int id);
    int Add(unsigned long value, unsigned int id);
    int Add(float value, unsigned int id);
    int Add(double value, unsigned int id);
    int Add(const char* value, unsigned int id);
    int Add(const unsigned char* data, unsigned short count, unsigned int id);
    // Adds other's elements as Add(value) does, skipping empty values and ID 0; returns the size.
    int Add(const CVarDataGroup& other);

    // The element at position, or the group's empty placeholder.
    const CVarData& GetAt(int position) const;
    // Replaces the element at position by a copy of value; does nothing outside 0..size-1.
    void SetAt(int position, const CVarData& value);
    // The element that bears id, or the placeholder (which keeps what is written into it).
    CVarData& operator[](unsigned int id);
    const CVarData& operator[](unsigned int id) const;
    int GetSize() const;
    int IsEmpty() const;
    // The ID at position, or 0xFFFFFFFF outside 0..size-1.
    unsigned int GetID(int position) const;
    // The position of the element that bears id, or -1.
    int GetIndex(unsigned int id) const;

    // Removes the element at position; returns the new size (-1 outside 0..size-1).
    int RemoveAt(int position);
    // Returns the new size, or -1 when no element bears id.
    int RemoveID(unsigned int id);
    // Removes every element of that type code; returns the new size.
    int RemoveByType(unsigned char code);
    // Returns 1.
    int RemoveAll();

    // Archive form: a 4-byte count, then each element.
    void Serialize(CArchive& archive);
    const CArchive& operator<<(CArchive& archive);
    const CArchive& operator>>(CArchive& archive);
    // Value records back to back; returns the bytes written.
    int GetSerializeData(unsigned char* buffer, int size);
    // Reads value records and adds them by ID; returns the bytes consumed.
    int SetSerializeData(unsigned char* buffer, int size);

    // Writes the head line and one line per element (at most 30), CR LF ended, and a zero
    // byte; returns the characters written. buffer must not be null.
    int Format(char* buffer) const;
    // Renders the text and discards it.
    void Trace() const;

private:
    CVarDataGroupRecord* m_pData;
};
