// Splits one content list line into its comma-separated, quoted fields. Every scan steps by whole
// characters of the given code page, so a double-byte character whose second byte is 0x2C or 0x22
// is never taken for a separator or a quote.
#pragma once

#include "framework/CodePage.h"

#include <string>
#include <vector>

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

  private:
    const CCodePage& m_codePage;
    std::string m_strLine;
    bool m_bTrim = true;
    bool m_bEmpty = false;
};
