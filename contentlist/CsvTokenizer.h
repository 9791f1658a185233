// Splits one content list line into its comma-separated, quoted fields. Every scan steps by whole
// characters of the given code page, so a double-byte character whose second byte is 0x2C or 0x22
// is never taken for a separator or a quote.
#pragma once

#include "framework/CodePage.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One field of a line: its bytes (leading blanks already skipped when trimming) and how many quotes
// start a character in it.
struct CsvFieldSlice
{
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t quotes = 0;
};

class CCsvTokenizer
{
  public:
    explicit CCsvTokenizer(const CCodePage& codePage) : m_codePage(codePage) {}

    // Strips leading spaces and tabs from the line and from each field; on from construction.
    void SetTrim(bool trim) { m_bTrim = trim; }

    // Always true. A null, empty or (with trim) blank text leaves nothing to split.
    bool SetLine(const char* text);

    // False when there is nothing to split. A separator inside an open quote does not split; a
    // field whose quote is never closed runs to the end of the line.
    bool Split(std::vector<std::string>& fields) const;

    // Each pair of adjacent quotes becomes one quote; every other quote is removed.
    void Unquote(std::string& field) const;

    // Where each field of line lies before it is unquoted, as SetLine and Split see the line:
    // written over the first entries of slices (which keep their memory from line to line).
    // Returns the number of fields, 0 when there is nothing to split.
    static std::size_t Slice(std::string_view line, bool trim, const CCodePage& codePage,
                             std::vector<CsvFieldSlice>& slices);

    // The field of a slice, unquoted, as Split gives it.
    static std::string_view Unquoted(std::string_view line, const CsvFieldSlice& slice,
                                     const CCodePage& codePage, std::string& scratch);

  private:
    const CCodePage& m_codePage;
    std::string m_strLine;
    bool m_bTrim = true;
    bool m_bEmpty = false;
};
