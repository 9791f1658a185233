// Text1 of a few keys of a content list, taken as the list streams past: only the records of the
// keys asked for are kept, so the memory a look-up costs follows the request, not the list.
#pragma once

#include "contentlist/ContentListText.h"
#include "framework/CodePage.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CWantedRecords
{
  public:
    CWantedRecords(const std::vector<std::string>& keys, const CCodePage& codePage, LineEnds ends);

    // The next bytes of the list. The last line of a key wins; the first line that does not parse
    // (an empty one included) spoils the whole list, as it makes the store unusable.
    void Feed(std::string_view piece);
    // Text1 of each key in the keys' order, once the list has ended: empty where the list has no
    // record of the key, and for every key when a line did not parse.
    std::vector<std::string> Finish();

  private:
    bool TakeLine(const std::string& line);

    const CCodePage& m_codePage;
    std::vector<std::string> m_keys;
    std::unordered_map<std::string, std::string> m_text1OfKey;
    CContentLineCutter m_cutter;
    std::string m_key;
    ContentRecord m_record;
};
