#pragma once
// Data-type codes of fields (the classic data-objects numbering), as CampoBdD::tipo() gives them.

namespace quilmaro::tipos {

inline constexpr int adEmpty = 0;              // a column that is always NULL (SELECT NULL)
inline constexpr int adSmallInt = 2;           // SMALLINT, YEAR
inline constexpr int adInteger = 3;            // MEDIUMINT, INT
inline constexpr int adSingle = 4;             // FLOAT
inline constexpr int adDouble = 5;             // DOUBLE
inline constexpr int adBoolean = 11;           // BIT(1)
inline constexpr int adTinyInt = 16;           // TINYINT
inline constexpr int adUnsignedTinyInt = 17;   // TINYINT UNSIGNED
inline constexpr int adUnsignedSmallInt = 18;  // SMALLINT UNSIGNED
inline constexpr int adUnsignedInt = 19;       // MEDIUMINT UNSIGNED, INT UNSIGNED
inline constexpr int adBigInt = 20;            // BIGINT
inline constexpr int adUnsignedBigInt = 21;    // BIGINT UNSIGNED
inline constexpr int adBinary = 128;           // BINARY, BIT(n > 1)
inline constexpr int adChar = 129;             // CHAR, ENUM, SET
inline constexpr int adNumeric = 131;          // DECIMAL
inline constexpr int adDBDate = 133;           // DATE
inline constexpr int adDBTime = 134;           // TIME
inline constexpr int adDBTimeStamp = 135;      // DATETIME, TIMESTAMP
inline constexpr int adVarChar = 200;          // VARCHAR
inline constexpr int adLongVarChar = 201;      // TEXT kinds, JSON
inline constexpr int adVarBinary = 204;        // VARBINARY
inline constexpr int adLongVarBinary = 205;    // BLOB kinds, GEOMETRY

// The classic numeric kinds: the list values of the statement builders are written bare for
// them, and NoNull gives 0 for their NULLs.
inline bool esNumeroClasico(int t) {
    switch (t) {
        case adSmallInt:
        case adInteger:
        case adSingle:
        case adDouble:
        case adTinyInt:
        case adUnsignedSmallInt:
        case adUnsignedInt:
            return true;
        default:
            return false;
    }
}

// The codes that hold numbers written without quotes in statements.
inline bool esNumerico(int t) {
    return esNumeroClasico(t) || t == adUnsignedTinyInt || t == adBigInt || t == adUnsignedBigInt ||
           t == adNumeric;
}

}  // namespace quilmaro::tipos
