// SPDX-License-Identifier: LGPL-2.1-or-later
// CVarData: one typed value with a numeric ID (ten numeric types, a text or a byte block).
#pragma once

#include <LmVarData/LmVarDataExport.h>

class CArchive;
struct CVarDataRecord;

// Type codes; 0 and 14 to 255 are unassigned, but the readers can store them.
enum VarDataType : unsigned char
{
    VD_char = 1,
    VD_BYTE = 2,
    VD_short = 3,
    VD_WORD = 4,
    VD_int = 5,
    VD_UINT = 6,
    VD_long = 7,
    VD_DWORD = 8,
    VD_float = 9,
    VD_double = 10,
    VD_string = 11,
    VD_Buffer = 12,
    VD_empty = 13,
};

// A value owns its record, and the record owns its text or byte block.
// `long` and `unsigned long` carry 32-bit values: they are stored in 4 bytes on every platform.
class LMVARDATA_EXPORT CVarData
{
public:
    // Empty value: code 13, ID 0, length 8.
    CVarData();
    // Deep copy, ID included.
    CVarData(const CVarData& other);
    CVarData(char value, unsigned int id);
    CVarData(unsigned char value, unsigned int id);
    CVarData(short value, unsigned int id);
    CVarData(unsigned short value, unsigned int id);
    CVarData(int value, unsigned int id);
    CVarData(unsigned int value, unsigned int id);
    CVarData(long value, unsigned int id);
    CVarData(unsigned long value, unsigned int id);
    CVarData(float value, unsigned int id);
    CVarData(double value, unsigned int id);
    // Text as Set_string; value must not be null.
    CVarData(const char* value, unsigned int id);
    // Byte block of count bytes as Set_Buffer.
    CVarData(const unsigned char* data, unsigned short count, unsigned int id);
    virtual ~CVarData();

    // Deep copy, ID included; self-assignment keeps the value.
    const CVarData& operator=(const CVarData& other);
    // As the setter of the same type; the ID stays.
    const CVarData& operator=(char value);
    const CVarData& operator=(unsigned char value);
    const CVarData& operator=(short value);
    const CVarData& operator=(unsigned short value);
    const CVarData& operator=(int value);
    const CVarData& operator=(unsigned int value);
    const CVarData& operator=(long value);
    const CVarData& operator=(unsigned long value);
    const CVarData& operator=(float value);
    const CVarData& operator=(double value);
    const CVarData& operator=(const char* value);

    // Setters: the type code becomes the setter's; the ID stays.
    void Set_char(char value);
    void Set_BYTE(unsigned char value);
    void Set_short(short value);
    void Set_WORD(unsigned short value);
    void Set_int(int value);
    void Set_UINT(unsigned int value);
    void Set_long(long value);
    void Set_DWORD(unsigned long value);
    void Set_float(float value);
    void Set_double(double value);
    // Stores the text up to its first zero byte; returns the new length (characters + 1).
    // text must not be null; it may be this value's own text.
    int Set_string(const char* text);
    // Stores count bytes of data; returns count.
    int Set_Buffer(const unsigned char* data, unsigned short count);

    // Numeric getters convert from the stored type; texts, blocks and empty values give 0.
    char Get_char() const;
    unsigned char Get_BYTE() const;
    short Get_short() const;
    unsigned short Get_WORD() const;
    int Get_int() const;
    unsigned int Get_UINT() const;
    long Get_long() const;
    unsigned long Get_DWORD() const;
    float Get_float() const;
    double Get_double() const;

    operator char();
    operator unsigned char();
    operator short();
    operator unsigned short();
    operator int();
    operator unsigned int();
    operator long();
    operator unsigned long();
    operator float();
    operator double();

    // The stored text or first byte of the block; null for every other type code.
    const char* Get_string() const;
    operator const char*();
    // Copies the text and its terminator; -1 when buffer is null, the value is no text or
    // size is below the length. Returns the length.
    int Get_string(char* buffer, unsigned short size) const;
    // Copies the block; -1 when buffer is null, the value is no block or size is below the
    // length. Returns the length.
    int Get_Buffer(unsigned char* buffer, unsigned short size) const;

    unsigned char GetType() const;
    unsigned short GetLength() const;
    unsigned int GetID() const;
    void SetID(unsigned int id);
    // 1 for code 13 and unassigned codes, else 0.
    int IsEmpty() const;

    // Compares by the left operand's type, reading other with that type's getter; IDs are
    // ignored. 1 when equal, else 0.
    int operator==(const CVarData& other);

    // Archive form: writes when the archive is storing, reads when it is loading.
    void Serialize(CArchive& archive);
    const CArchive& operator<<(CArchive& archive);
    const CArchive& operator>>(CArchive& archive);
    // Value record (AA 55 ... 55 AA): returns the bytes written, or 0 when size is too small.
    int GetSerializeData(unsigned char* buffer, int size);
    // Reads one value record from size bytes; returns the bytes it counts, 0 for a bad head,
    // 2 for a cut-off record or a bad tail (the value is then unchanged).
    int SetSerializeData(unsigned char* buffer, int size);

    // Writes the value's text line and a zero byte; returns the characters written,
    // -1 when buffer is null. The caller provides room for the whole line.
    int Format(char* buffer) const;
    // Renders the line and discards it.
    void Trace() const;

private:
    CVarDataRecord* m_pData;
};
