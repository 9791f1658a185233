// The bytes of one content list line, "key"," text1"," text2", " number" and CR LF, and the way
// back from a line to a key and a record. Nothing is escaped on writing, so a quote inside a key
// or text does not survive a write and read; stored files rely on that exact form.
#pragma once

#include "contentlist/ContentRecord.h"
#include "framework/CodePage.h"

#include <cstdint>
#include <string>
#include <string_view>

// The line for a key and a record, as the C format "\"%s\",\" %s\",\" %s\", \" %ld\"\r\n" gives it.
std::string FormatLineText(const char* key, const ContentRecord& record);

// buffer null: length receives the line's size. Otherwise the line is copied without a NUL when
// length is large enough; a smaller length gives false and the size needed. Null key or record,
// or no memory: false, length untouched.
bool FormatLine(const char* key, const ContentRecord* record, char* buffer, std::uint32_t& length);

// The four texts of line when it stands exactly as FormatLine writes it: each field blanks, a quote,
// a text of neither quote nor byte from 0x80 on, not empty, and a closing quote right before the
// separator (for the fourth, before a separator or the end). False for any other line.
bool SliceWrittenLine(std::string_view line, std::string_view (&fields)[4]);

// line: one line without its line end. False for a null argument, a blank line or fewer than four
// fields, and then key and record are unchanged. A fourth field that is not a number leaves
// record->Number as it was.
bool ParseLine(const char* line, std::string& key, ContentRecord* record, const CCodePage& codePage);

// Decimal digits, or 0x and hexadecimal digits (any case). An empty text is true with number
// unchanged; anything else, a sign included, is false with number unchanged. A decimal value above
// the signed 32-bit range and a hexadecimal one wider than 32 bits count as non-numbers.
bool ParseNumber(const std::string& text, std::int32_t& number, const CCodePage& codePage);

// Removes spaces from the end and the start of text; tabs stay.
void StripSpaces(std::string& text, const CCodePage& codePage);
